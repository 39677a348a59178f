#!/usr/bin/env python3
"""Runs scripts/name-string-ids over sample.cpp in a copy of the string tables:
the string ids get their names and the include, look-alikes (control and
command ids, years, format arguments, literals, hex and float numbers) stay,
the numbers it cannot decide are listed, and a second run changes nothing.
Then a name missing from a package and an id without a name fail the check."""
import os, shutil, subprocess, sys, tempfile

src = sys.argv[1]
here = os.path.dirname(os.path.abspath(__file__))
script = os.path.join(src, "scripts", "name-string-ids")
faults = []
with tempfile.TemporaryDirectory() as root:
    for lang in ("english", "chinese"):
        os.makedirs(os.path.join(root, "lang", lang))
        shutil.copy(os.path.join(src, "lang", lang, "strings.txt"), os.path.join(root, "lang", lang))
    os.makedirs(os.path.join(root, "platform", "ui"))
    os.makedirs(os.path.join(root, "views"))
    os.makedirs(os.path.join(root, "tests"))
    shutil.copy(os.path.join(src, "platform", "ui", "stringids.h"), os.path.join(root, "platform", "ui"))
    for target in ("views/sample.cpp", "tests/sample.cpp"):
        shutil.copy(os.path.join(here, "sample.cpp"), os.path.join(root, target))
    run = lambda *a: subprocess.run([sys.executable, script, *a, root], capture_output=True, text=True)
    if run("--check").returncode != 1:
        faults.append("--check passes a file with bare ids")
    first = run()
    got = open(os.path.join(root, "views", "sample.cpp")).read()
    if got != open(os.path.join(here, "expected.cpp")).read():
        faults.append("the rewrite differs from expected.cpp:\n" + got)
    for left in ("sample.cpp:21: 62500 passed to another call", "sample.cpp:22: 61236 passed to another call",
                 "sample.cpp:22: 61236 in a string literal"):
        if left not in first.stdout:
            faults.append("not listed as left: " + left)
    if open(os.path.join(root, "tests", "sample.cpp")).read() != open(os.path.join(here, "sample.cpp")).read():
        faults.append("tests/ was rewritten")
    if run().stdout.splitlines()[-1].split(",")[0] != "0 named" or run("--check").returncode != 0:
        faults.append("a second run changes something or the check fails")
    with open(os.path.join(root, "views", "sample.cpp"), "a") as f:
        f.write("QString u = lang::String(61999);\n")
    if "61999 is used as a string id but is in no package" not in run("--check").stdout:
        faults.append("an id that is in no package is not told")
    header = os.path.join(root, "platform", "ui", "stringids.h")
    text = open(header).read().replace("};", "  IDS_NOT_THERE = 61998,\n};")
    open(header, "w").write(text)
    if "IDS_NOT_THERE = 61998 is not in lang/chinese/strings.txt" not in run("--check").stdout:
        faults.append("a name missing from the packages is not told")
for f in faults:
    print(f)
sys.exit(1 if faults else 0)
