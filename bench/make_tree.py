#!/usr/bin/env python3
"""Makes a benchmark tree of small files on the host side, once: folders of 100 files (or as many
as the third argument says), ten folders to a level, file sizes from 0 to 4,095 bytes. Writing a
million files through Wine takes far longer than the measurements themselves.
Usage: make_tree.py FOLDER FILES [FILES_PER_FOLDER]"""
import os
import sys

root, count = sys.argv[1], int(sys.argv[2])
per_folder = int(sys.argv[3]) if len(sys.argv) > 3 else 100
marker = os.path.join(root, "complete-%d.marker" % count)
if os.path.exists(marker):
    sys.exit(0)
names = ["~wrl%d.tmp", "data%d.tmp", "report%d.bak", "setup%d.log", "document%d.txt", "photo%d.jpg",
         "music%d.mp3", "cache%d.~mp", "crash%d.dmp", "sheet%d.xls"]
made = 0
folder_index = 0
while made < count:
    # folder n lies at level-1\level-2\... by its decimal digits: ten folders to a level.
    parts = ["d%s" % digit for digit in str(folder_index)]
    folder = os.path.join(root, *parts)
    os.makedirs(folder, exist_ok=True)
    for i in range(min(per_folder, count - made)):
        n = made + i
        with open(os.path.join(folder, names[n % len(names)] % n), "wb") as f:
            f.write(b"q" * ((n * 2654435761) % 4096))
    made += min(per_folder, count - made)
    folder_index += 1
open(marker, "w").close()
