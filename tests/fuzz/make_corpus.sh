#!/usr/bin/env bash
# Remakes the seed corpus from manifests that patchkit wrote (tests/tools/fixtures): the update
# and the installation's record as one manifest_fuzz input, with and without the update's
# entries, the record's entry names under an installation folder, with both separators, as
# path_fuzz inputs, the shortcut templates with the record's argument as template_fuzz inputs,
# and the update alone as apply_fuzz's input. The seeds are committed; run this only when the
# fixtures change.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
fixtures=$here/../tools/fixtures
rm -rf "$here/corpus" && mkdir -p "$here/corpus/manifest" "$here/corpus/paths" "$here/corpus/templates" "$here/corpus/updates"
cat "$fixtures/Updateinf.dat" "$fixtures/Uninstallinf.dat" >"$here/corpus/manifest/update-and-record"
cp "$fixtures/Updateinf.dat" "$here/corpus/updates/example-1.1"
python3 - "$fixtures" "$here/corpus" <<'PY'
import struct, sys
fixtures, corpus = sys.argv[1], sys.argv[2]
update = open(fixtures + "/Updateinf.dat", "rb").read()
record = open(fixtures + "/Uninstallinf.dat", "rb").read()
# entryCount at offset 768 of the update header (5328 bytes); the record's at 128 of 5456.
header = bytearray(update[:5328]); header[768:772] = struct.pack("<I", 0)
open(corpus + "/manifest/empty-update-and-record", "wb").write(bytes(header) + record)
count = struct.unpack_from("<I", record, 128)[0]
folder = "C:\\Program Files\\サンプル製品\\".encode("cp932")
for i in range(count):
    name = record[5456 + 280 * i:5456 + 280 * i + 260].split(b"\0")[0]
    open(f"{corpus}/paths/entry-{i}", "wb").write(folder + name)
    open(f"{corpus}/paths/entry-{i}-slashes", "wb").write((folder + name).decode("cp932").replace("\\", "/").encode("cp932"))
# The record's folder template and every used name template, each with the record's argument.
argument = record[0:128].split(b"\0")[0]
templates = [record[144:272].split(b"\0")[0]]
for manifest, at in ((update, 1168), (record, 1296)):
    for slot in range(8):
        name = manifest[at + 520 * slot:at + 520 * slot + 260].split(b"\0")[0]
        if name: templates.append(name)
for i, template in enumerate(dict.fromkeys(templates)):
    open(f"{corpus}/templates/template-{i}", "wb").write(template + b"\0" + argument)
PY
