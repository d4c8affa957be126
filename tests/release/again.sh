#!/bin/sh
# build-packages.sh's arguments, under umask 027 and in the time zone
# furthest from UTC: the second build of the reproducibility check.
umask 027
TZ=Pacific/Kiritimati exec sh "$(dirname "$0")/build-packages.sh" "$@"
