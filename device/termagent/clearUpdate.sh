#!/bin/sh
# Removes what an update leaves behind once it has been installed: the
# received package and update.sh's staging directory. Waits for an update
# that is still running.

# shellcheck source=devicelib.sh
. /opt/zoderer/login/devicelib.sh

SOFTWARE=/opt/zoderer/software
PACKAGE=/tmp/uploadfile.tar.gz

if [ -d "$SOFTWARE" ]; then
    hold_lock "$SOFTWARE/.lock" || log "cannot lock $SOFTWARE/.lock; clearing anyway"
fi
rm -f -- "$PACKAGE"
rm -rf -- "$SOFTWARE/.staging"
log "removed the update package and the staging directory"
