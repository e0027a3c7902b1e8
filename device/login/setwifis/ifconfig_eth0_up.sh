#!/bin/sh
# Brings eth0 up.
# shellcheck source=devicelib.sh
. /opt/zoderer/login/devicelib.sh

set_link eth0 up
