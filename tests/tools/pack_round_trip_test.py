#!/usr/bin/env python3
"""patchkit pack's zip, read back three ways that share nothing with patchkit or one another:
Python's zipfile taking the stored names in code page 932 as a Japanese Windows does, Debian's
unzip (which takes the Unicode Path field) and 7-Zip. Each must give the package's own names in
pack's order (folders before what they hold, by the names' code page 932 bytes) and its bytes.
The names come from a generator of what trips readers up: second bytes 0x5C and 0x7C,
half-width katakana, NEC and IBM extensions, ASCII punctuation. check then finds in the zip what
it finds in the folder, warns of the zip Debian's zip makes of it, and refuses hostile archives;
pack refuses a package check fails, and a zip inside the package.

    pack_round_trip_test.py PATCHKIT [SEED]
"""
import os, pathlib, random, subprocess, sys, tempfile, zipfile

patchkit = sys.argv[1]
seed = int(sys.argv[2]) if len(sys.argv) > 2 else random.randrange(1 << 30)
rng = random.Random(seed)
failures = []
PIECES = list("abcXYZ019-_~!#$%&'()+,;=@[]^`{} ") + list("ソ表能十申貼予構噂纊ポ") + list("ｱｶﾞﾃｨｰ①Ⅹⅰ㈱￢新アヂＡｂ")


def expect(ok, what):
    if not ok:
        failures.append(what)
        print(f"FAIL (seed {seed}): {what}")


def run(*arguments, cwd=None, env=None):
    return subprocess.run([str(a) for a in arguments], capture_output=True, text=True, errors="replace", cwd=cwd,
                          env=None if env is None else {**os.environ, **env})


def component(i, folder):  # a leading number keeps names apart that Windows or the record would take for one
    return str(i) + "".join(rng.choice(PIECES) for _ in range(rng.randint(0, 8))) + ("d" if folder else ".dat")


work = pathlib.Path(tempfile.mkdtemp())
tree, package, archive = work / "tree", work / "package", work / "download.zip"
folders = [tree]
tree.mkdir()
for i in range(40):
    parent = rng.choice(folders)
    if rng.random() < 0.3 and len(parent.relative_to(tree).parts) < 3:
        folders.append(parent / component(i, True))
        folders[-1].mkdir()
    else:
        (parent / component(i, False)).write_bytes(rng.randbytes(rng.randint(0, 3000)) * rng.randint(1, 3))
(work / "description.json").write_text('{"update": {"title": "t", "updateName": "u", "note": "", "productName": "p",'
                                       ' "registryKey": "Software\\\\T", "registryValue": "v"}}')
made = run(patchkit, "make", work / "description.json", tree, package)
expect(made.returncode == 0, f"make: {made.stderr}")

packed = run(patchkit, "pack", package, archive)
expect(packed.returncode == 0, f"pack: {packed.stderr}")
paths = {p.relative_to(package).as_posix() + ("/" if p.is_dir() else ""): p for p in package.rglob("*")}
names = sorted(paths, key=lambda n: n.replace("/", "\\").encode("cp932"))

with zipfile.ZipFile(archive, metadata_encoding="cp932") as z:
    members = z.infolist()
    expect([m.filename for m in members] == names, f"zipfile lists {[m.filename for m in members]}, not {names}")
    expect(all(m.flag_bits & 0x800 == 0 and m.date_time == (1980, 1, 1, 0, 0, 0) for m in members), "a flag or a time is set")
    expect(all(m.is_dir() or z.read(m) == paths[m.filename].read_bytes() for m in members if m.filename in paths),
           "zipfile reads other bytes")
listed = run("unzip", "-Z1", archive).stdout.splitlines()
expect(listed == names, f"unzip lists {listed}")
extracted = run("unzip", "-q", archive, "-d", work / "unzipped")
expect(extracted.returncode == 0 and run("diff", "-r", package, work / "unzipped").returncode == 0, "unzip extracts otherwise")
sevenzip = [line[7:] for line in run("7z", "l", "-slt", "-ba", archive).stdout.splitlines() if line.startswith("Path = ")]
expect(sevenzip == [n.rstrip("/") for n in names], f"7z lists {sevenzip}")

folder_check, zip_check = run(patchkit, "check", package), run(patchkit, "check", archive)
expect(zip_check.stdout.replace(str(archive), "X") == folder_check.stdout.replace(str(package), "X"),
       f"check of the zip says {zip_check.stdout}, of the folder {folder_check.stdout}")
run("zip", "-qr", work / "debian.zip", ".", cwd=package)
expect("read otherwise by a Japanese Windows" in run(patchkit, "check", work / "debian.zip").stdout, "no warning of Debian's zip")

with zipfile.ZipFile(work / "hostile.zip", "w") as z:
    z.writestr("../escape.txt", "out")
    z.writestr("data/damaged.bin", "x" * 100)
damaged = bytearray((work / "hostile.zip").read_bytes())
damaged[damaged.index(b"x" * 100)] ^= 1
(work / "hostile.zip").write_bytes(damaged)
(work / "tmp").mkdir()
hostile = run(patchkit, "check", work / "hostile.zip", env={"TMPDIR": str(work / "tmp")})
expect("member 0 name: is not extracted" in hostile.stdout and "member 1: fails its CRC-32" in hostile.stdout, hostile.stdout)
expect(not any((work / "tmp").iterdir()), f"check left {list((work / 'tmp').iterdir())} in the temporary folder")

inside = run(patchkit, "pack", package, package / "data" / "x.zip")
expect(inside.returncode == 1 and "lies inside the package" in inside.stderr, inside.stderr)
next(p for p in paths.values() if p.is_file() and p.parent != package).unlink()
refused = run(patchkit, "pack", package, work / "refused.zip")
expect(refused.returncode == 1 and "is missing" in refused.stderr and "is not packed" in refused.stderr and
       not (work / "refused.zip").exists(), refused.stderr)

run("rm", "-rf", work)
if failures:
    sys.exit(1)
print(f"pack round trip: {len(names)} names read back by zipfile, unzip and 7z (seed {seed})")
