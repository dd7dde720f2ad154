#!/usr/bin/env python3
"""Runs the command blocks of a document, so that the documents cannot drift from the
programs.

    doc_blocks_test.py --source SRC --build BUILD [--sanitized] DOCUMENT...

Two kinds of fenced block are run; every other block (output, grammar, tables, C++) is
text only.

- ```sh: a script. Each runs alone in a fresh sandbox, as `bash -e -o pipefail`, and
  must exit 0; a command expected to fail says so itself (`... || echo ...`).
- ```console: a session. Lines starting with "$ " are commands ("> " lines continue
  one, as a here-document does); the lines after a command are what it prints, standard
  output and error together. The console blocks of one document are one session, run
  in order in one sandbox, so later examples see the changes of earlier ones. In what a
  command prints, a line "..." stands for any lines, "..." inside a line for any text,
  a last line "... (N rows in all)" for the rest of N lines in all, and a last line
  ending in "   (exit status N)" says the command exits N (else it must exit 0, unless
  the next command is `echo $?`, which shows the status).

A sandbox stands for the top of the repository: the source's top-level entries are
linked into it, build/default (and build/asan in a sanitizer build) is the build under
test, and the current folder, HOME and TMPDIR are its own. "/tmp/" in a block names the
sandbox's own temporary folder, so that runs at the same time never share a file; the
sandbox's folder is written back as "/tmp/" in what a command prints. The locale is
C.UTF-8, not Chinese.

An HTML comment on the line before a block marks it (the rendered document does not
show it): `<!-- docs-test: skip (REASON) -->` is never run (blocks that build, install
packages or run the whole suite); `display` runs under a display (xvfb-run when there is
none), with an empty operator script in TAVRO_UI_SCRIPT, so that a dialog waiting for a
person closes at once; `postgres` runs only where the tests have a PostgreSQL cluster
(TAVRO_TEST_PG_HOST, scripts/test.sh), and must run when TAVRO_TEST_REQUIRE_PG is set;
`asan` runs only in the sanitizer build. A block that fails is named by its file and
line, with what it printed; the exit status is 1 when any block failed.
"""

import argparse
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile

BLOCK_TIMEOUT = 300
SESSION_TIMEOUT = 900
MARKER = re.compile(r"^<!--\s*docs-test:\s*(.*?)\s*-->$")
EXIT_NOTE = re.compile(r"\s+\(exit status (\d+)\)$")
ROWS_IN_ALL = re.compile(r"^\.\.\. \((\d+) rows in all\)$")
TMP_IN_BLOCK = re.compile(r"(?<![\w./-])/tmp/")
CLEARED = ("TAVRO_", "PG", "XDG_", "QT_", "LC_", "LANG", "DISPLAY", "WAYLAND_")


class Block:
    def __init__(self, path, line, kind, marks, text):
        self.path, self.line, self.kind, self.marks, self.text = path, line, kind, marks, text

    def where(self):
        return f"{self.path}:{self.line}"


def read_blocks(path, shown):
    """The sh and console blocks of a document, with the marks of the line before each."""
    blocks = []
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    i = 0
    while i < len(lines):
        stripped = lines[i].strip()
        if not stripped.startswith("```"):
            i += 1
            continue
        kind = stripped[3:].strip()
        indent = len(lines[i]) - len(lines[i].lstrip())
        start = i + 1
        end = start
        while end < len(lines) and lines[end].strip() != "```":
            end += 1
        previous = i - 1
        while previous >= 0 and not lines[previous].strip():
            previous -= 1
        marks = []
        if previous >= 0:
            m = MARKER.match(lines[previous].strip())
            if m:
                marks = [w.strip() for w in m.group(1).split(",") if w.strip()]
        if kind in ("sh", "console"):
            text = "\n".join(line[indent:] for line in lines[start:end]) + "\n"
            blocks.append(Block(shown, i + 1, kind, marks, text))
        i = end + 1
    return blocks


class Runner:
    def __init__(self, args):
        self.source = os.path.abspath(args.source)
        self.build = os.path.abspath(args.build)
        self.sanitized = args.sanitized
        self.failures = 0
        self.passed = 0
        self.skipped = []
        self.has_pg = bool(os.environ.get("TAVRO_TEST_PG_HOST"))
        self.require_pg = bool(os.environ.get("TAVRO_TEST_REQUIRE_PG"))
        self.has_display = bool(os.environ.get("DISPLAY")) or shutil.which("xvfb-run")

    # The sandbox: the repository's top with the build under test, private folders.
    def make_sandbox(self):
        root = tempfile.mkdtemp(prefix="tavro-docs-")
        for name in os.listdir(self.source):
            if name not in ("build", ".git"):
                os.symlink(os.path.join(self.source, name), os.path.join(root, name))
        os.mkdir(os.path.join(root, "build"))
        os.symlink(self.build, os.path.join(root, "build", "default"))
        if self.sanitized:
            os.symlink(self.build, os.path.join(root, "build", "asan"))
        for sub in ("home", "tmp"):
            os.mkdir(os.path.join(root, sub), 0o700)
        return root

    def drop_sandbox(self, root):
        service = os.path.join(root, "build", "bank-service")
        if os.path.lexists(service):
            # A block that stopped early leaves the service (and its cluster) running.
            subprocess.run(["bash", os.path.join(self.source, "scripts", "bank-service.sh"),
                            "stop", service], stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, check=False)
        for cluster in (os.path.join(root, "build", "postgres"),
                        os.path.join(service, "postgres")):
            self.drop_cluster(cluster)
        shutil.rmtree(root, ignore_errors=True)

    def drop_cluster(self, cluster):
        if os.path.lexists(cluster):
            subprocess.run(["bash", os.path.join(self.source, "scripts", "bank-postgres.sh"),
                            "stop", cluster], stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, check=False)
            # Started by root, the script keeps the cluster in /tmp/tavro-pg-* and links it.
            real = os.path.realpath(cluster)
            if os.path.basename(real).startswith("tavro-pg-"):
                shutil.rmtree(real, ignore_errors=True)

    def environment(self, root):
        env = {k: v for k, v in os.environ.items() if not k.startswith(CLEARED)}
        env.update(HOME=os.path.join(root, "home"), TMPDIR=os.path.join(root, "tmp"),
                   LANG="C.UTF-8", LC_ALL="C.UTF-8")
        supp = os.path.join(self.source, "scripts", "lsan.supp")
        env["LSAN_OPTIONS"] = f"suppressions={supp}" + (
            ":" + env["LSAN_OPTIONS"] if env.get("LSAN_OPTIONS") else "")
        return env

    def runnable(self, block):
        """None when the block runs here, else why not (a failure when it must run)."""
        for mark in block.marks:
            if mark.startswith("skip"):
                return mark
            if mark == "postgres" and not self.has_pg:
                if self.require_pg:
                    raise RuntimeError("needs the PostgreSQL cluster, and "
                                       "TAVRO_TEST_REQUIRE_PG is set but TAVRO_TEST_PG_HOST is not")
                return "no PostgreSQL cluster (TAVRO_TEST_PG_HOST)"
            if mark == "display" and not self.has_display:
                return "no display and no xvfb-run"
            if mark == "asan" and not self.sanitized:
                return "runs in the sanitizer build"
            if mark not in ("postgres", "display", "asan") and not mark.startswith("skip"):
                raise RuntimeError(f"unknown mark {mark!r}")
        return None

    def should_run(self, block):
        """Whether the block runs here; a skip is noted, a mark that cannot be honoured
        fails the block."""
        try:
            why = self.runnable(block)
        except RuntimeError as e:
            self.fail(block, str(e))
            return False
        if why:
            self.skipped.append((block, why))
        return not why

    def command_prefix(self, block, env, root):
        if "display" not in block.marks:
            return []
        empty = os.path.join(root, "no-operator.txt")
        open(empty, "w").close()
        env["TAVRO_UI_SCRIPT"] = empty
        return [] if os.environ.get("DISPLAY") else ["xvfb-run", "-a"]

    def fail(self, block, message, output=""):
        self.failures += 1
        print(f"{block.where()}: {message}")
        if output:
            print("  " + "\n  ".join(output.rstrip("\n").split("\n")[-40:]))

    def shown(self, text, root):
        return text.replace(os.path.join(root, "tmp") + "/", "/tmp/")

    def run_sh(self, block):
        root = self.make_sandbox()
        try:
            env = self.environment(root)
            script = os.path.join(root, "block.sh")
            with open(script, "w", encoding="utf-8") as f:
                f.write(TMP_IN_BLOCK.sub(os.path.join(root, "tmp") + "/", block.text))
            command = self.command_prefix(block, env, root) + [
                "bash", "-e", "-o", "pipefail", script]
            status, output = run_bounded(command, root, env, BLOCK_TIMEOUT)
            output = self.shown(output.decode("utf-8", "replace"), root)
            if status is None:
                self.fail(block, f"sh block did not end within {BLOCK_TIMEOUT} s", output)
            elif status != 0:
                self.fail(block, f"sh block failed (exit status {status})", output)
            else:
                self.passed += 1
        finally:
            self.drop_sandbox(root)

    def run_session(self, blocks):
        """The console blocks of one document, as one shell session."""
        commands = []  # (block, line, command text, expected lines)
        for block in blocks:
            if not self.should_run(block):
                continue
            lines = block.text.rstrip("\n").split("\n")
            for n, line in enumerate(lines):
                at = block.line + 1 + n
                if line.startswith("$ "):
                    commands.append([block, at, line[2:], []])
                elif line.startswith("> ") and commands and commands[-1][0] is block \
                        and not commands[-1][3]:
                    commands[-1][2] += "\n" + line[2:]
                elif commands and commands[-1][0] is block:
                    commands[-1][3].append(line)
                elif line.strip():
                    self.fail(block, f"line {at} is neither a command nor its output")
        if not commands:
            return
        root = self.make_sandbox()
        try:
            env = self.environment(root)
            out = os.path.join(root, ".out")
            os.mkdir(out)
            script = ["status=0"]
            for i, (block, _, command, _) in enumerate(commands):
                command = TMP_IN_BLOCK.sub(os.path.join(root, "tmp") + "/", command)
                script.append(f"(exit $status); {{ {command}\n}} >'{out}/{i}' 2>&1; "
                              f"status=$?; echo $status >'{out}/{i}.status'")
            path = os.path.join(root, "session.sh")
            with open(path, "w", encoding="utf-8") as f:
                f.write("\n".join(script) + "\n")
            run_bounded(["bash", path], root, env, SESSION_TIMEOUT)
            for i, (block, at, command, expected) in enumerate(commands):
                self.check_command(block, at, command, expected, out, i, root,
                                   i + 1 < len(commands) and commands[i + 1][2] == "echo $?")
        finally:
            self.drop_sandbox(root)

    def check_command(self, block, at, command, expected, out, i, root, status_shown):
        where = Block(block.path, at, "console", [], "")
        try:
            with open(f"{out}/{i}", encoding="utf-8", errors="replace") as f:
                printed = self.shown(f.read(), root)
            with open(f"{out}/{i}.status", encoding="utf-8") as f:
                status = int(f.read())
        except OSError:
            self.fail(where, f"$ {command}: the session ended before this command "
                      f"(time-out of {SESSION_TIMEOUT} s, or an earlier command ended it)")
            return
        expected = list(expected)
        want_status = 0
        if expected:
            m = EXIT_NOTE.search(expected[-1])
            if m:
                want_status = int(m.group(1))
                expected[-1] = expected[-1][:m.start()]
        actual = [line.rstrip() for line in printed.rstrip("\n").split("\n")] if printed else []
        if not status_shown and status != want_status:
            self.fail(where, f"$ {command}: exit status {status}, expected {want_status}",
                      printed)
        elif not lines_match([e.rstrip() for e in expected], actual):
            self.fail(where, f"$ {command}: printed what the document does not show",
                      "expected:\n" + "\n".join(expected) + "\nprinted:\n" + printed)
        else:
            self.passed += 1

    def run_document(self, path):
        shown = os.path.relpath(path, self.source)
        blocks = read_blocks(path, shown)
        sessions = []
        for block in blocks:
            if block.kind == "console":
                sessions.append(block)
            elif self.should_run(block):
                self.run_sh(block)
        self.run_session(sessions)


def run_bounded(command, cwd, env, timeout):
    """(exit status, output) of a command in a process group of its own; the status is
    None when it ran out of time, and then the whole group is ended."""
    with subprocess.Popen(command, cwd=cwd, env=env, stdin=subprocess.DEVNULL,
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                          start_new_session=True) as process:
        try:
            output, _ = process.communicate(timeout=timeout)
            return process.returncode, output
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)
            output, _ = process.communicate()
            return None, output


def lines_match(expected, actual):
    """Whether the printed lines are the expected ones, with "..." as said above."""
    if expected:
        m = ROWS_IN_ALL.match(expected[-1])
        if m:
            shown = expected[:-1]
            return len(actual) == int(m.group(1)) and lines_match(shown, actual[:len(shown)])
    if not expected:
        return not actual
    head = expected[0]
    if head == "...":
        return any(lines_match(expected[1:], actual[k:]) for k in range(len(actual) + 1))
    if not actual:
        return False
    pattern = ".*".join(re.escape(part) for part in head.split("..."))
    return re.fullmatch(pattern, actual[0]) is not None and lines_match(expected[1:], actual[1:])


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--source", required=True, help="the repository's top folder")
    parser.add_argument("--build", required=True, help="the build folder under test")
    parser.add_argument("--sanitized", action="store_true", help="a sanitizer build")
    parser.add_argument("documents", nargs="+")
    args = parser.parse_args()
    runner = Runner(args)
    for document in args.documents:
        runner.run_document(os.path.abspath(document))
    for block, why in runner.skipped:
        print(f"{block.where()}: skipped: {why}")
    print(f"{runner.passed} passed, {runner.failures} failed, {len(runner.skipped)} skipped")
    return 1 if runner.failures else 0


if __name__ == "__main__":
    sys.exit(main())
