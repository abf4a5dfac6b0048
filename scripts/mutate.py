#!/usr/bin/env python3
"""Seed one small fault at a time into the sources and check the tests notice.

Reads the fault list (scripts/mutations.txt by default), and for each entry:
replaces the exact original text (it must occur once in its file), rebuilds
only the entry's test programs in a build folder of its own, runs them with
the entry's test filter, and puts the file back whatever happens (also on
Ctrl-C). A fault is caught when a build or a test fails or times out.
Prints every survivor and the share caught; exits 1 below the wanted share.

Entry format (blank line between entries, '#' starts a comment line):
    file: src/core/Settings.cpp
    test: bench_tests Settings*         (program [gtest filter]; ';' for more)
    - exact original text               (\\n, \\t, \\\\ are unescaped)
    + replacement text
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def Unescape(text):
    return re.sub(r"\\(.)", lambda m: {"n": "\n", "t": "\t"}.get(m.group(1), m.group(1)), text)


def ReadList(path):
    entries, current = [], {}
    with open(path, encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            line = raw.rstrip("\n")
            if line.startswith("#"):
                continue
            if not line.strip():
                if current:
                    entries.append(current)
                    current = {}
                continue
            if not current:
                current = {"line": number}
            if line.startswith("file:"):
                current["file"] = line[5:].strip()
            elif line.startswith("test:"):
                current["tests"] = [t.split() for t in line[5:].split(";") if t.strip()]
            elif line.startswith("- "):
                current["old"] = Unescape(line[2:])
            elif line.startswith("+ "):
                current["new"] = Unescape(line[2:])
            elif line == "+":
                current["new"] = ""
            else:
                sys.exit(f"{path}:{number}: cannot read '{line}'")
    if current:
        entries.append(current)
    for e in entries:
        for key in ("file", "tests", "old", "new"):
            if key not in e:
                sys.exit(f"{path}:{e['line']}: entry has no '{key}'")
    return entries


def Run(command, timeout, cwd=None):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    try:
        done = subprocess.run(command, cwd=cwd, env=env, timeout=timeout,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return done.returncode == 0
    except subprocess.TimeoutExpired:
        return False


# The libraries each test program links. After a fault only these and the
# program itself are rebuilt ("<target>/fast" skips the programs a test
# program merely depends on, such as the bench it starts).
LIBRARIES = {"vnapi_tests": ["vnapi"]}
SUPPORT = ["varn_testsupport"]


def Build(build, targets, jobs, fast=False):
    if fast:
        libraries = sorted({lib for t in targets for lib in LIBRARIES.get(t, SUPPORT)})
        targets = libraries + [t + "/fast" for t in targets]
    return Run(["cmake", "--build", build, "-j", str(jobs), "--target", *targets], timeout=1800)


def TestsPass(build, tests, timeout):
    for test in tests:
        command = [os.path.join(build, "bin", test[0])]
        if len(test) > 1:
            command.append("--gtest_filter=" + test[1])
        if not Run(command, timeout, cwd=build):
            return False
    return True


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--list", default=os.path.join(ROOT, "scripts", "mutations.txt"))
    parser.add_argument("--build", default=os.path.join(ROOT, "build-mutate"))
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 2)
    parser.add_argument("--timeout", type=int, default=300, help="seconds per test program")
    parser.add_argument("--only", default="", help="run only entries whose file contains this text")
    parser.add_argument("--want", type=float, default=90.0, help="share caught wanted, in percent")
    args = parser.parse_args()

    args.build = os.path.abspath(args.build)
    entries = [e for e in ReadList(args.list) if args.only in e["file"]]
    for e in entries:
        with open(os.path.join(ROOT, e["file"]), encoding="utf-8") as f:
            found = f.read().count(e["old"])
        if found != 1:
            sys.exit(f"{args.list}:{e['line']}: original text found {found} times in {e['file']}")

    started = time.time()
    # No debug information: every fault relinks the test programs, and the
    # links are most of the time a fault takes.
    configure = ["cmake", "-S", ROOT, "-B", args.build, "-G", "Unix Makefiles", "-DCMAKE_BUILD_TYPE=Release"]
    if shutil.which("ccache"):
        configure.append("-DCMAKE_CXX_COMPILER_LAUNCHER=ccache")
    targets = sorted({t[0] for e in entries for t in e["tests"]})
    print(f"building {', '.join(targets)} in {args.build}", flush=True)
    if not Run(configure, 600) or not Build(args.build, targets, args.jobs):
        sys.exit("the unchanged sources do not build")
    unchanged = sorted({tuple(t) for e in entries for t in e["tests"]})
    for test in unchanged:
        if not TestsPass(args.build, [list(test)], args.timeout):
            sys.exit(f"the unchanged sources fail {' '.join(test)}")

    survivors = []
    for index, e in enumerate(entries, 1):
        path = os.path.join(ROOT, e["file"])
        with open(path, encoding="utf-8") as f:
            original = f.read()
        try:
            with open(path, "w", encoding="utf-8") as f:
                f.write(original.replace(e["old"], e["new"], 1))
            programs = sorted({t[0] for t in e["tests"]})
            caught = not Build(args.build, programs, args.jobs, fast=True) or not TestsPass(args.build, e["tests"], args.timeout)
        finally:
            with open(path, "w", encoding="utf-8") as f:
                f.write(original)
        verdict = "caught" if caught else "SURVIVED"
        print(f"[{index}/{len(entries)}] {verdict}: {e['file']}: {e['old'].strip()!r} -> {e['new'].strip()!r}",
              flush=True)
        if not caught:
            survivors.append(e)

    caught = len(entries) - len(survivors)
    share = 100.0 * caught / len(entries) if entries else 100.0
    print(f"\n{len(survivors)} survivors:")
    for e in survivors:
        print(f"  {os.path.basename(args.list)}:{e['line']}: {e['file']}: {e['old'].strip()!r} -> {e['new'].strip()!r}")
    print(f"caught {caught} of {len(entries)} ({share:.0f} %) in {(time.time() - started) / 60:.1f} minutes")
    return 0 if share >= args.want else 1


if __name__ == "__main__":
    sys.exit(main())
