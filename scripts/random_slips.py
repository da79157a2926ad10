#!/usr/bin/env python3
"""Plants one-line slips at random in the code a change added and tells which tests catch them.

Lines are drawn (seeded) from the code lines that base..head added: no tests, benchmarks,
fuzzing harnesses, scripts, CMake files, docs, comments or blank lines. Each drawn line gets
one mutation that fits it (a comparison turned, ==/!=, &&/||, min/max, + 1/- 1, a ! dropped,
a statement dropped, true/false); the tree is rebuilt with ninja and every test program the
rebuild relinked runs whole (a program the rebuild left alone gives the result it gave
before). The file is always put back byte for byte, checked by hash, also on Ctrl-C; a copy
of it waits in the build tree until then, and the next run puts it back if this one died.

  scripts/random_slips.py --base 8ba48f6a --build build/check --count 10 [--seed S]
"""

import argparse
import base64
import concurrent.futures
import hashlib
import json
import os
import random
import re
import signal
import subprocess
import sys
import threading
import time

# ---------------------------------------------------------------------------------------------
# Which added lines are code

CODE_SUFFIXES = (".cpp", ".cc", ".cxx", ".c", ".h", ".hpp", ".hxx", ".inl")


def is_code_path(path):
    if not path.endswith(CODE_SUFFIXES) or path.endswith("_test.cpp"):
        return False
    parts = path.split("/")
    if parts[0] in ("bench", "fuzz", "scripts", "cmake", "resources", "docs"):
        return False
    # Tests and the helpers only tests use.
    return "tests" not in parts[:-1] and "testing" not in parts[:-1]


def mask_line(text, in_block):
    """Returns (masked, in_block): string and character literals and comments turned into
    spaces, so the mutations see only code; in_block tells whether a /* comment runs on."""
    out = []
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if in_block:
            end = text.find("*/", i)
            if end < 0:
                out.append(" " * (n - i))
                return "".join(out), True
            out.append(" " * (end + 2 - i))
            i = end + 2
            in_block = False
        elif text.startswith("//", i):
            out.append(" " * (n - i))
            break
        elif text.startswith("/*", i):
            in_block = True
        elif c in "\"'":
            j = i + 1
            while j < n and text[j] != c:
                j += 2 if text[j] == "\\" else 1
            j = min(j + 1, n)
            out.append(c + " " * max(0, j - i - 2) + (c if j - i >= 2 else ""))
            i = j
        else:
            out.append(c)
            i += 1
    return "".join(out), in_block


# ---------------------------------------------------------------------------------------------
# The mutations: each gives (what, new line) for every place on the line where it fits

SPACED = r"(?<=\s)(%s)(?=\s)"
TURNS = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "==", "&&": "||",
         "||": "&&"}
DECLARATION = re.compile(
    r"^\s*(?:(?:const|constexpr|static|auto|inline|thread_local|virtual|explicit|extern|"
    r"mutable|unsigned|signed|long|short)\s+)*[A-Za-z_][\w:]*"
    r"(?:<[^;]*>)?[\s*&]+[A-Za-z_]\w*\s*(?:=|;|\{|\(|\[)")
NOT_DROPPED = re.compile(r"^\s*(return|break|continue|using|namespace|typedef|case|default|"
                         r"goto|template|public|private|protected|friend|static_assert)\b")


def replace_at(text, start, end, new):
    return text[:start] + new + text[end:]


def mixes_logic(masked):
    """Whether one pair of brackets holds both && and || (the compiler's warning)."""
    kinds, stack, counter = {}, [0], 0
    for i, c in enumerate(masked):
        if c in "([{":
            counter += 1
            stack.append(counter)
        elif c in ")]}" and len(stack) > 1:
            stack.pop()
        elif masked.startswith(("&&", "||"), i) and masked[i + 1] == c and (
                i == 0 or masked[i - 1] != c):
            kinds.setdefault(stack[-1], set()).add(c)
    return any(len(k) > 1 for k in kinds.values())


def mutations(text, masked, previous_code):
    found = []
    for m in re.finditer(SPACED % r"<=|>=|==|!=|&&|\|\||<|>", masked):
        old = m.group(1)
        if old in ("&&", "||") and mixes_logic(replace_at(masked, m.start(), m.end(),
                                                          TURNS[old])):
            continue
        found.append(("`%s` -> `%s`" % (old, TURNS[old]),
                      replace_at(text, m.start(), m.end(), TURNS[old])))
    for m in re.finditer(r"\b(min|max)\b(?=\s*[(<])", masked):
        new = "max" if m.group(1) == "min" else "min"
        found.append(("`%s` -> `%s`" % (m.group(1), new),
                      replace_at(text, m.start(), m.end(), new)))
    for m in re.finditer(r"(?<=\s)([+-]) 1\b(?!\.\d*[1-9])", masked):
        new = "-" if m.group(1) == "+" else "+"
        found.append(("`%s 1` -> `%s 1`" % (m.group(1), new),
                      replace_at(text, m.start(1), m.end(1), new)))
    for m in re.finditer(r"!(?!=)", masked):
        found.append(("`!` dropped", replace_at(text, m.start(), m.end(), "")))
    for m in re.finditer(r"\b(true|false)\b", masked):
        new = "false" if m.group(1) == "true" else "true"
        found.append(("`%s` -> `%s`" % (m.group(1), new),
                      replace_at(text, m.start(), m.end(), new)))
    code = masked.strip()
    if (code.endswith(";") and code.count("(") == code.count(")") and "{" not in code
            and "}" not in code and not NOT_DROPPED.match(code) and not DECLARATION.match(code)
            and previous_code.endswith((";", "{", "}", ":", ")")) and not code.startswith((
                "#", "else"))):
        indent = text[:len(text) - len(text.lstrip())]
        found.append(("statement dropped", indent + "{}"))
    return found


# ---------------------------------------------------------------------------------------------
# The change's lines


def git(repo, *args):
    return subprocess.run(["git", "-C", repo] + list(args), check=True, capture_output=True,
                          text=True, errors="replace").stdout


def added_lines(repo, base, head):
    """{path: [head line numbers]} of the code lines base..head added."""
    diff = git(repo, "diff", "-U0", "--no-color", "--no-ext-diff", base, head)
    lines, path, number = {}, None, 0
    for row in diff.splitlines():
        if row.startswith("+++ "):
            path = row[6:] if row.startswith("+++ b/") else None
            if path is not None and not is_code_path(path):
                path = None
        elif row.startswith("@@"):
            m = re.match(r"@@ -\S+ \+(\d+)(?:,(\d+))? @@", row)
            number = int(m.group(1))
        elif path is not None and row.startswith("+"):
            lines.setdefault(path, []).append(number)
            number += 1
    return lines


def worktree_line_map(repo, head, path):
    """Head line number -> work tree line number, None where the work tree changed it."""
    diff = git(repo, "diff", "-U0", "--no-color", "--no-ext-diff", head, "--", path)
    hunks = []
    for row in diff.splitlines():
        m = re.match(r"@@ -(\d+)(?:,(\d+))? \+(\d+)(?:,(\d+))? @@", row)
        if m:
            old, oldCount = int(m.group(1)), int(m.group(2) or 1)
            new, newCount = int(m.group(3)), int(m.group(4) or 1)
            if oldCount == 0:
                old += 1  # a pure insertion sits after line `old`
            hunks.append((old, oldCount, newCount))

    def mapped(line):
        shift = 0
        for old, oldCount, newCount in hunks:
            if line >= old + oldCount:
                shift += newCount - oldCount
            elif line >= old:
                return None
        return line + shift
    return mapped


def candidates(repo, base, head):
    """Every (path, work-tree line, text, [(what, new text)]) a mutation fits."""
    found = []
    for path, numbers in sorted(added_lines(repo, base, head).items()):
        full = os.path.join(repo, path)
        if not os.path.exists(full):
            continue
        headText = git(repo, "show", "%s:%s" % (head, path)).split("\n")
        with open(full, "rb") as f:
            workText = f.read().decode("utf-8", errors="surrogateescape").split("\n")
        # The comment state and the last code line, walked over the whole file at head.
        masks, inBlock, previous, previousCode = [], False, "", []
        for text in headText:
            masked, inBlock = mask_line(text, inBlock)
            masks.append(masked)
            previousCode.append(previous)
            if masked.strip():
                previous = masked.strip()
        toWork = worktree_line_map(repo, head, path)
        added = set(numbers)
        for number in sorted(added):
            text = headText[number - 1]
            masked = masks[number - 1]
            code = masked.strip()
            if not code or code.startswith("#") or code in ("{", "}", "};", ");"):
                continue
            work = toWork(number)
            if work is None or work > len(workText) or workText[work - 1] != text:
                continue
            options = mutations(text, masked, previousCode[number - 1])
            if options:
                found.append((path, work, text, options))
    return found


# ---------------------------------------------------------------------------------------------
# The build tree and its tests


class Interrupted(Exception):
    pass


children = set()
childrenLock = threading.Lock()


def run_child(command, timeout, **options):
    """Runs a command in a process group of its own; returns (code or None on timeout,
    output). Ctrl-C or a stop ends the whole group."""
    process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                               start_new_session=True, **options)
    with childrenLock:
        children.add(process)
    try:
        output, _ = process.communicate(timeout=timeout)
        return process.returncode, output.decode("utf-8", errors="replace")
    except subprocess.TimeoutExpired:
        kill_group(process)
        output, _ = process.communicate()
        return None, output.decode("utf-8", errors="replace")
    finally:
        kill_group(process)
        with childrenLock:
            children.discard(process)


def kill_group(process):
    try:
        os.killpg(process.pid, signal.SIGKILL)
    except (ProcessLookupError, PermissionError):
        pass


def kill_children():
    with childrenLock:
        for process in list(children):
            kill_group(process)


class Program:
    """A test program of ctest's list: its executable, environment, directory, case names."""

    def __init__(self, executable, environment, directory):
        self.executable = executable
        self.environment = environment
        self.directory = directory
        self.cases = []


def load_tests(build):
    listing = subprocess.run(["ctest", "--show-only=json-v1"], cwd=build, check=True,
                             capture_output=True, text=True).stdout
    programs, others = {}, []
    for test in json.loads(listing)["tests"]:
        command = test.get("command") or []
        properties = {p["name"]: p["value"] for p in test.get("properties", [])}
        filters = [a for a in command[1:] if a.startswith("--gtest_filter=")]
        if command and filters:
            program = programs.get(command[0])
            if program is None:
                environment = dict(os.environ)
                for entry in properties.get("ENVIRONMENT", []):
                    key, _, value = entry.partition("=")
                    environment[key] = value
                program = Program(command[0], environment,
                                  properties.get("WORKING_DIRECTORY", build))
                programs[command[0]] = program
            program.cases.append(filters[0][len("--gtest_filter="):])
        else:
            # Not a GoogleTest case: it depends on the build through the build-tree files
            # its command names, if any.
            files = [a for a in command if os.path.isabs(a) and a.startswith(build)]
            others.append((test["name"], files))
    return programs, others


def stamps(paths):
    result = {}
    for path in paths:
        try:
            status = os.stat(path)
            result[path] = (status.st_mtime_ns, status.st_size)
        except FileNotFoundError:
            result[path] = None
    return result


FAILED = re.compile(r"^\[  FAILED  \] ([\w/.]+(?:\.[\w/]+)?)(?:,| \(|$)", re.M)
RUNNING = re.compile(r"^\[ RUN      \] (\S+)", re.M)
ENDED = re.compile(r"^\[ +(?:OK|FAILED|SKIPPED) +\] (\S+)", re.M)


def shards(programs, jobs):
    """(program, shard, shard count) for every program: the long ones in GoogleTest's shards,
    about 60 cases each, at most two per job, so that the jobs share them; longest first."""
    result = []
    for program in sorted(programs, key=lambda p: -len(p.cases)):
        count = max(1, min(2 * jobs, len(program.cases) // 60))
        result.extend((program, index, count) for index in range(count))
    return result


def run_program(program, timeout, shard=0, count=1):
    """Returns (verdict, failing cases): verdict 'passed', 'failed', 'crashed' or 'timeout'."""
    environment = dict(program.environment)
    if count > 1:
        environment.update(GTEST_TOTAL_SHARDS=str(count), GTEST_SHARD_INDEX=str(shard))
    code, output = run_child([program.executable], timeout, cwd=program.directory,
                             env=environment)
    failed = sorted(set(FAILED.findall(output)))
    started = RUNNING.findall(output)
    ended = set(ENDED.findall(output))
    open_ = [case for case in started if case not in ended]
    if code is None:
        return "timeout", open_[-1:] or ["(no case started)"]
    if code == 0:
        return "passed", []
    if failed:
        return "failed", failed
    return "crashed", (open_[-1:] or ["(exit code %d)" % code])


# ---------------------------------------------------------------------------------------------
# Putting files back


class Restorer:
    """Keeps a file's bytes and puts them back; a journal in the build tree outlives a crash."""

    def __init__(self, build):
        self.journal = os.path.join(build, "random_slips_restore.json")

    def recover(self):
        if not os.path.exists(self.journal):
            return
        with open(self.journal) as f:
            entry = json.load(f)
        print("A run before this one left %s planted: putting it back" % entry["path"])
        self._write(entry["path"], base64.b64decode(entry["bytes"]), entry["sha256"])
        os.remove(self.journal)

    def keep(self, path):
        with open(path, "rb") as f:
            original = f.read()
        digest = hashlib.sha256(original).hexdigest()
        with open(self.journal + ".tmp", "w") as f:
            json.dump({"path": path, "sha256": digest,
                       "bytes": base64.b64encode(original).decode()}, f)
            f.flush()
            os.fsync(f.fileno())
        os.replace(self.journal + ".tmp", self.journal)
        return original, digest

    def put_back(self, path, original, digest):
        self._write(path, original, digest)
        os.remove(self.journal)

    @staticmethod
    def _write(path, original, digest):
        for _ in range(3):
            with open(path, "wb") as f:
                f.write(original)
            with open(path, "rb") as f:
                if hashlib.sha256(f.read()).hexdigest() == digest:
                    return
        raise SystemExit("COULD NOT PUT BACK %s: its bytes are in the journal" % path)


# ---------------------------------------------------------------------------------------------
# One mutant


def build(buildDir, jobs, timeout, cache):
    """ninja over the tree. The compiler cache is shared with everyone's trees: a slip's
    objects are neither taken from it nor put in it (cache "off"), and the unmutated tree
    built again only reads it ("read"): no slip can come back to anyone from the cache."""
    environment = dict(os.environ)
    if cache == "off":
        environment["CCACHE_DISABLE"] = "1"
    elif cache == "read":
        environment["CCACHE_READONLY"] = "1"
    code, output = run_child(["ninja", "-C", buildDir, "-j", str(jobs)], timeout, env=environment)
    return code == 0, output


def run_all(function, items, jobs):
    """function(item) for every item on `jobs` threads; the main thread waits in short steps,
    so that Ctrl-C or a stop is handled at once (the children are then ended by the caller)."""
    pool = concurrent.futures.ThreadPoolExecutor(max_workers=jobs)
    futures = [pool.submit(function, item) for item in items]
    try:
        pending = set(futures)
        while pending:
            _, pending = concurrent.futures.wait(pending, timeout=0.5)
        for future in futures:
            future.result()
    finally:
        kill_children()
        pool.shutdown(wait=False, cancel_futures=True)


def first_error(output):
    for row in output.splitlines():
        if re.search(r"\berror\b:|Error ", row) and not row.startswith("ninja: build stopped"):
            return row.strip()[:200]
    return output.strip().splitlines()[-1][:160] if output.strip() else "(no output)"


def run_changed(programs, others, before, after, buildDir, options, baseline):
    """Runs the test programs whose executables the rebuild relinked; returns
    ([(program, verdict, cases)], names of the programs run)."""
    changed = [p for path, p in sorted(programs.items()) if before.get(path) != after.get(path)]
    parts = shards(changed, options.jobs)
    changedFiles = {path for path in after if before.get(path) != after.get(path)}
    otherTests = [name for name, files in others if any(f in changedFiles for f in files)]
    failures = []
    stop = threading.Event()
    lock = threading.Lock()

    def one(part):
        program, shard, count = part
        if stop.is_set():
            return
        known, seconds = baseline.get((program.executable, shard), (set(), None))
        timeout = options.timeout if seconds is None else min(
            options.timeout, max(120, 10 * seconds))
        verdict, cases = run_program(program, timeout, shard, count)
        if verdict == "failed":
            cases = [c for c in cases if c not in known]
            if not cases:
                verdict = "passed"
        with lock:
            # A program ended because another failed first is no finding of its own.
            if verdict != "passed" and not (stop.is_set() and not options.keep_going):
                failures.append((program, verdict, cases))
                if not options.keep_going:
                    stop.set()
                    kill_children()

    run_all(one, parts, options.jobs)
    for name in otherTests:
        if failures and not options.keep_going:
            break
        code, output = run_child(["ctest", "-R", "^%s$" % re.escape(name)], options.timeout,
                                 cwd=buildDir)
        if code != 0:
            failures.append((Program(name, None, None), "failed" if code else "timeout",
                             [name]))
    names = [os.path.basename(p.executable) for p in changed] + otherTests
    return failures, names


def run_baseline(programs, options):
    """{(executable, shard): (failing cases, seconds)} of every program run unmutated."""
    result = {}

    def one(part):
        program, shard, count = part
        started = time.time()
        verdict, cases = run_program(program, options.timeout, shard, count)
        seconds = time.time() - started
        result[(program.executable, shard)] = (set(cases), seconds)
        if verdict != "passed":
            print("    unmutated, %s %s: %s (set aside)" % (
                os.path.basename(program.executable), verdict, ", ".join(cases)), flush=True)

    run_all(one, shards(programs.values(), options.jobs), options.jobs)
    return result


def describe_failures(failures):
    parts = []
    for program, verdict, cases in failures:
        name = os.path.basename(program.executable)
        shown = ", ".join(cases[:4]) + (" and %d more" % (len(cases) - 4) if len(cases) > 4
                                        else "")
        if verdict == "timeout":
            parts.append("%s: timeout in %s" % (name, shown))
        elif verdict == "crashed":
            parts.append("%s: crashed in %s" % (name, shown))
        else:
            parts.append("%s: %s" % (name, shown))
    return "; ".join(parts)


# ---------------------------------------------------------------------------------------------


def main():
    parser = argparse.ArgumentParser(
        description="Plant one-line slips at random in the code lines base..head added, "
                    "rebuild, run the test programs the rebuild relinked, and say which "
                    "slips no test caught.")
    parser.add_argument("--base", help="revision the change starts from")
    parser.add_argument("--head", default="HEAD",
                        help="revision the change ends at (default HEAD); the lines are "
                             "found in the work tree as they stand there")
    parser.add_argument("--build", required=True, help="a built plain tree, e.g. build/check")
    parser.add_argument("--count", type=int, default=10, help="number of mutants (10)")
    parser.add_argument("--seed", type=int, help="random seed (random when left out)")
    parser.add_argument("--jobs", type=int, default=4,
                        help="ninja jobs and test programs run side by side (4)")
    parser.add_argument("--timeout", type=int, default=900,
                        help="seconds a test program may take before the mutant counts as "
                             "caught by a timeout (900)")
    parser.add_argument("--build-timeout", type=int, default=3600,
                        help="seconds a rebuild may take (3600)")
    parser.add_argument("--keep-going", action="store_true",
                        help="run every relinked program, not only up to the first failing one")
    parser.add_argument("--no-baseline", action="store_true",
                        help="trust that every test passes unmutated (otherwise the relinked "
                             "programs are run once first and their failing cases set aside)")
    parser.add_argument("--slip", action="append", nargs=3, metavar=("FILE:LINE", "OLD", "NEW"),
                        help="plant this slip (the first OLD on the line becomes NEW) instead "
                             "of drawing; may be given again")
    parser.add_argument("--list", action="store_true",
                        help="print the drawn lines and mutations and stop")
    options = parser.parse_args()
    if options.base is None and not options.slip:
        parser.error("--base is needed unless the slips are given with --slip")

    repo = git(".", "rev-parse", "--show-toplevel").strip()
    buildDir = os.path.abspath(options.build)
    seed = options.seed if options.seed is not None else random.SystemRandom().randrange(10**6)
    print("seed %d, count %d, change %s..%s, build %s" % (seed, options.count, options.base,
                                                          options.head, buildDir), flush=True)

    def stop_on_signal(number, frame):
        raise Interrupted()
    signal.signal(signal.SIGTERM, stop_on_signal)
    signal.signal(signal.SIGINT, stop_on_signal)

    restorer = Restorer(buildDir)
    restorer.recover()

    mutants = []
    if options.slip:
        for place, old, new in options.slip:
            path, _, line = place.rpartition(":")
            with open(os.path.join(repo, path), "rb") as f:
                text = f.read().decode("utf-8", errors="surrogateescape").split("\n")[int(line) - 1]
            if old not in text:
                raise SystemExit("%s:%s does not hold %r" % (path, line, old))
            mutants.append((path, int(line), text, "`%s` -> `%s`" % (old, new),
                            text.replace(old, new, 1)))
    else:
        pool = candidates(repo, options.base, options.head)
        generator = random.Random(seed)
        drawn = generator.sample(pool, min(options.count, len(pool)))
        for path, line, text, choices in drawn:
            what, new = generator.choice(choices)
            mutants.append((path, line, text, what, new))
        print("%d code lines with a fitting mutation; %d drawn" % (len(pool), len(mutants)),
              flush=True)
    if options.list:
        for index, (path, line, text, what, new) in enumerate(mutants, 1):
            print("%2d %s:%d %s\n     - %s\n     + %s" % (index, path, line, what,
                                                           text.strip(), new.strip()))
        return 0

    results = []
    try:
        ok, output = build(buildDir, options.jobs, options.build_timeout, "read")
        if not ok:
            raise SystemExit("The tree does not build unmutated:\n" + first_error(output))
        programs, others = load_tests(buildDir)
        baseline = {}
        if not options.no_baseline:
            print("Running the %d test programs unmutated first" % len(programs), flush=True)
            started = time.time()
            baseline = run_baseline(programs, options)
            print("    %d s" % (time.time() - started), flush=True)
        for index, (path, line, text, what, new) in enumerate(mutants, 1):
            print("\n[%d/%d] %s:%d  %s\n    - %s\n    + %s" % (
                index, len(mutants), path, line, what, text.strip(), new.strip()), flush=True)
            started = time.time()
            full = os.path.join(repo, path)
            before = stamps(list(programs) + [f for _, files in others for f in files])
            original, digest = restorer.keep(full)
            try:
                rows = original.decode("utf-8", errors="surrogateescape").split("\n")
                rows[line - 1] = new
                with open(full, "wb") as f:
                    f.write("\n".join(rows).encode("utf-8", errors="surrogateescape"))
                ok, output = build(buildDir, options.jobs, options.build_timeout, "off")
                if ok:
                    after = stamps(before)
                    failures, ran = run_changed(programs, others, before, after, buildDir,
                                                options, baseline)
            finally:
                restorer.put_back(full, original, digest)
            if not ok:
                result, detail = "not built", first_error(output)
            elif failures:
                result, detail = "caught", describe_failures(failures)
            elif not ran:
                result, detail = "survived", "no test program was relinked"
            else:
                result, detail = "survived", "ran %s" % ", ".join(ran)
            results.append((path, line, what, result, detail))
            print("    %s (%d s): %s" % (result.upper(), time.time() - started, detail),
                  flush=True)
            # Build the unmutated tree again, so that the next slip's relinked programs are
            # its own and the tree is left as it was found.
            ok, output = build(buildDir, options.jobs, options.build_timeout, "read")
            if not ok:
                raise SystemExit("The tree no longer builds unmutated:\n" + first_error(output))
    except Interrupted:
        kill_children()
        print("\nStopped: every file is back as it was.", flush=True)
    finally:
        kill_children()

    print("\nseed %d, count %d, change %s..%s" % (seed, options.count, options.base,
                                                 options.head))
    print("| # | file:line | mutation | result | by |")
    print("|---|---|---|---|---|")
    for index, (path, line, what, result, detail) in enumerate(results, 1):
        print("| %d | %s:%d | %s | %s | %s |" % (index, path, line, what, result,
                                                  detail.replace("|", "\\|")))
    counts = {r: sum(1 for x in results if x[3] == r) for r in ("caught", "survived",
                                                                   "not built")}
    print("\n%d caught, %d survived, %d not built of %d" % (
        counts["caught"], counts["survived"], counts["not built"], len(results)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
