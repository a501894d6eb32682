#!/usr/bin/env bash
# Sets up what git cannot keep in the two demo folders, so that TandrilB shows
# every kind of result on them with its default options:
#   - fixed modification times (git checks files out with the current time);
#     time-differs.txt gets another date on the target side;
#   - source/fifo-vs-file, a FIFO: a "system" entry against an empty regular
#     file of the same size and time, so only the attribute check tells them
#     apart.
# It can run any number of times.
set -euo pipefail
cd "$(dirname "$0")"

if [ ! -p source/fifo-vs-file ]; then
    rm -f source/fifo-vs-file
    mkfifo source/fifo-vs-file
fi
# -h sets the times without opening anything (a FIFO would block an open).
find source target -exec touch -h -d '2024-04-01 12:00:00' {} +
touch -h -d '2024-04-02 09:30:00' target/time-differs.txt
