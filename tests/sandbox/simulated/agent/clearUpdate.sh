#!/bin/sh
# Simulated terminal: removes what an installed update left behind, the
# received package and the unpacked copy.
rm -rf /tmp/update.staging /tmp/uploadfile.tar.gz
echo "$(date '+%T') clearUpdate.sh: removed the package and the staging directory" >> /tmp/device.log
