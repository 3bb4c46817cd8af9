#!/usr/bin/env python3
"""Runs the host-level checks of the Windows plug-in: krbhost.exe under wine, driven by a check file.

Usage: host_checks.py --host KRBHOST.exe --bundle BUNDLE.vst3 [--checks FILE] [--only NAME,...]

The check file (host-checks.txt beside this script) is a list of blocks. A block starts with
"run NAME ARGS..." (krbhost's arguments) or "exec NAME PROGRAM ARGS..." (another program of the
build) and its indented lines are the checks on that run; see the file's header for the check kinds. Lines are split like a shell command line (shlex).

A Windows program (.exe) is started through scripts/wine-run.sh, which needs WINEPREFIX
(scripts/test-windows.sh prepares one); any other krbhost runs directly, so the same checks also
serve the Linux build. Prints one line per check and a summary; exits 1 when a check fails, 0 otherwise.
Checks of a block marked "pending" are run and reported but do not fail the run.
"""

import argparse
import math
import os
import re
import shlex
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE_DIR = os.path.dirname(os.path.dirname(HERE))
WINE_RUN = os.path.join(SOURCE_DIR, "scripts", "wine-run.sh")


def is_windows_program(path):
    return path.lower().endswith(".exe")


def to_windows_path(path):
    # wine's Z: drive is the build machine's file system root.
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class CheckError(Exception):
    pass


class Block:
    def __init__(self, name, args, line_number, program=None):
        self.name = name
        self.program = program  # None: krbhost
        self.args = args
        self.line_number = line_number
        self.checks = []  # (line number, words)
        self.pending = None  # reason, when the block's checks may fail for now
        self.debug_output = False
        self.display = False  # the run needs a display


def parse_checks(path):
    blocks = []
    with open(path, encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            stripped = raw.strip()
            if not stripped or stripped.startswith("#"):
                continue
            try:
                words = shlex.split(stripped, comments=True)
            except ValueError as e:
                raise CheckError(f"{path}:{number}: {e}")
            if not words:
                continue
            if not raw[0].isspace():
                if words[0] == "run" and len(words) >= 2:
                    blocks.append(Block(words[1], words[2:], number))
                elif words[0] == "exec" and len(words) >= 3:
                    blocks.append(Block(words[1], words[3:], number, program=words[2]))
                else:
                    raise CheckError(f"{path}:{number}: a block starts with 'run NAME ARGS...' or 'exec NAME PROGRAM ARGS...'")
                continue
            if not blocks:
                raise CheckError(f"{path}:{number}: a check before the first 'run' line")
            block = blocks[-1]
            if words[0] == "pending":
                block.pending = " ".join(words[1:]) or "not yet implemented"
            elif words[0] == "debug-output":
                block.debug_output = True
            elif words[0] == "display":
                block.display = True
            else:
                block.checks.append((number, words))
    return blocks


# ----- running krbhost -----

DEBUG_LINE = re.compile(r'^[0-9a-f]+:warn:seh:OutputDebugString[AW] "(.*)"$')
SEH_LINE = re.compile(r"^[0-9a-f]+:warn:seh:")


def unescape_wine(text):
    # wine writes debug strings with C escapes (\n, \t, \\, \", \xNN).
    out = []
    i = 0
    while i < len(text):
        c = text[i]
        if c == "\\" and i + 1 < len(text):
            n = text[i + 1]
            if n == "n":
                out.append("\n")
            elif n == "t":
                out.append("\t")
            elif n == "r":
                out.append("\r")
            elif n == "x" and i + 4 <= len(text):
                out.append(chr(int(text[i + 2:i + 4], 16)))
                i += 2
            else:
                out.append(n)
            i += 2
            continue
        out.append(c)
        i += 1
    return "".join(out)


class RunResult:
    def __init__(self, status, stdout, stderr, debug):
        self.status = status
        self.stdout = stdout
        self.stderr = stderr
        self.debug = debug


def run_program(program, args, debug_output, display):
    env = dict(os.environ)
    if debug_output:
        # The debugger output reaches standard error as wine's trace of OutputDebugString.
        env["WINEDEBUG"] = "-all,warn+seh"
    if not display:
        env.pop("DISPLAY", None)  # loading the plug-in and its factory needs no display
    command = [WINE_RUN, program] if is_windows_program(program) else [program]
    proc = subprocess.run(command + args, env=env, capture_output=True)
    stdout = proc.stdout.decode("utf-8", "replace").replace("\r\n", "\n").splitlines()
    stderr_lines = proc.stderr.decode("utf-8", "replace").replace("\r\n", "\n").splitlines()
    if debug_output and not is_windows_program(program):
        # Elsewhere the debugger output is standard error.
        return RunResult(proc.returncode, stdout, stderr_lines, stderr_lines)
    debug_text = []
    stderr = []
    for line in stderr_lines:
        m = DEBUG_LINE.match(line)
        if debug_output and m:
            debug_text.append(unescape_wine(m.group(1)))
        elif debug_output and SEH_LINE.match(line):
            continue  # the other exception traces that the tracing brings along
        else:
            stderr.append(line)
    debug = "".join(debug_text).splitlines()
    return RunResult(proc.returncode, stdout, stderr, debug)


# ----- WAV files written by krbhost -----

class Wav:
    def __init__(self, path):
        with open(path, "rb") as f:
            data = f.read()
        if data[0:4] != b"RIFF" or data[8:12] != b"WAVE":
            raise CheckError(f"{path} is not a RIFF/WAVE file")
        pos = 12
        fmt = None
        samples = None
        while pos + 8 <= len(data):
            kind, size = data[pos:pos + 4], struct.unpack("<I", data[pos + 4:pos + 8])[0]
            body = data[pos + 8:pos + 8 + size]
            if kind == b"fmt ":
                fmt = list(struct.unpack("<HHIIHH", body[:16]))
                if fmt[0] == 0xFFFE and len(body) >= 26:
                    fmt[0] = struct.unpack("<H", body[24:26])[0]  # the extensible format's sub-format
            elif kind == b"data":
                samples = body
            pos += 8 + size + (size & 1)
        if fmt is None or samples is None:
            raise CheckError(f"{path} has no fmt or data chunk")
        code, self.channels, self.rate, _, align, bits = fmt
        self.frames = len(samples) // align if align else 0
        count = self.frames * self.channels
        if code == 3 and bits == 32:
            values = struct.unpack(f"<{count}f", samples[:count * 4])
        elif code == 1 and bits == 16:
            values = [v / 32768.0 for v in struct.unpack(f"<{count}h", samples[:count * 2])]
        else:
            raise CheckError(f"{path}: unsupported WAV format {code} with {bits} bits")
        self.data = [values[c::self.channels] for c in range(self.channels)]


def parse_channels(text, wav):
    if text == "all":
        return list(range(wav.channels))
    chosen = []
    for part in text.split(","):
        if "-" in part:
            first, last = part.split("-")
            chosen.extend(range(int(first), int(last) + 1))
        else:
            chosen.append(int(part))
    for c in chosen:
        if c >= wav.channels:
            raise CheckError(f"channel {c} asked for, the file has {wav.channels}")
    return chosen


def onsets(samples, above, quiet):
    found = []
    silent_run = quiet
    for i, v in enumerate(samples):
        if abs(v) > above:
            if silent_run >= quiet:
                found.append(i)
            silent_run = 0
        else:
            silent_run += 1
    return found


def check_wav(words, folder):
    if len(words) < 3:
        raise CheckError("wav FILE WHAT [key=value...]")
    wav = Wav(os.path.join(folder, words[1]))
    what = words[2]
    opts = dict(w.split("=", 1) for w in words[3:])
    if what == "channels":
        return wav.channels == int(opts["is"]), f"{wav.channels} channels"
    if what == "frames":
        return wav.frames == int(opts["is"]), f"{wav.frames} frames"
    if what == "rate":
        return wav.rate == int(opts["is"]), f"{wav.rate} Hz"
    channels = parse_channels(opts.get("ch", "all"), wav)
    if what == "peak":
        peak = max((max((abs(v) for v in wav.data[c]), default=0.0) for c in channels), default=0.0)
        ok = True
        if "min" in opts:
            ok = ok and peak >= float(opts["min"])
        if "max" in opts:
            ok = ok and peak <= float(opts["max"])
        return ok, f"peak {peak:.6g} on channels {opts.get('ch', 'all')}"
    if what == "finite":
        bad = sum(1 for c in channels for v in wav.data[c] if not math.isfinite(v))
        return bad == 0, f"{bad} samples not finite"
    if what == "onsets":
        expected = [int(v) for v in opts["at"].split(",")] if opts.get("at") else []
        tolerance = int(opts.get("tol", "0"))
        found = onsets(wav.data[channels[0]], float(opts.get("above", "0.001")), int(opts.get("quiet", "64")))
        ok = len(found) == len(expected) and all(abs(f - e) <= tolerance for f, e in zip(found, expected))
        return ok, f"onsets at {found[:32]}"
    raise CheckError(f"unknown wav check {what}")


# ----- PNG files -----

def check_png(words, folder):
    if len(words) < 3 or words[2] != "size":
        raise CheckError("png FILE size is=WxH")
    with open(os.path.join(folder, words[1]), "rb") as f:
        head = f.read(24)
    if head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        return False, "not a PNG file"
    width, height = struct.unpack(">II", head[16:24])
    opts = dict(w.split("=", 1) for w in words[3:])
    return f"{width}x{height}" == opts["is"], f"{width}x{height}"


# ----- checks -----

def evaluate(words, result, folder):
    kind = words[0]
    if kind == "exit":
        return result.status == int(words[1]), f"exit code {result.status}"
    if kind == "line":
        return words[1] in result.stdout, "no such line in the output"
    if kind in ("match", "no", "stderr", "debug"):
        lines = {"match": result.stdout, "no": result.stdout, "stderr": result.stderr, "debug": result.debug}[kind]
        pattern = re.compile(words[1])
        hits = [line for line in lines if pattern.search(line)]
        if kind == "no":
            return not hits, f"found: {hits[0]!r}" if hits else ""
        return bool(hits), "" if hits else "no line matches"
    if kind in ("count", "debug-count"):
        pattern = re.compile(words[1])
        lines = result.stdout if kind == "count" else result.debug
        count = sum(1 for line in lines if pattern.search(line))
        return count == int(words[2]), f"{count} lines match"
    if kind == "differs":
        with open(os.path.join(folder, words[1]), "rb") as a, open(os.path.join(folder, words[2]), "rb") as b:
            return a.read() != b.read(), "the files are the same"
    if kind == "same":
        with open(os.path.join(folder, words[1]), "rb") as a, open(os.path.join(folder, words[2]), "rb") as b:
            first, second = a.read(), b.read()
        if first == second:
            return True, f"{len(first)} bytes each"
        at = next((i for i, (x, y) in enumerate(zip(first, second)) if x != y), min(len(first), len(second)))
        return False, f"{len(first)} and {len(second)} bytes, first difference at byte {at}"
    if kind == "wav":
        return check_wav(words, folder)
    if kind == "png":
        return check_png(words, folder)
    raise CheckError(f"unknown check kind '{kind}'")


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--host", required=True, help="krbhost.exe of the Windows build")
    parser.add_argument("--bundle", required=True, help="the Windows plug-in bundle folder")
    parser.add_argument("--build", help="the build folder, for exec blocks (default: the one holding --host)")
    parser.add_argument("--checks", default=os.path.join(HERE, "host-checks.txt"))
    parser.add_argument("--only", default="", help="comma-separated block names")
    parser.add_argument("--verbose", action="store_true", help="print every run's output")
    parser.add_argument("--display", action="store_true",
                        help="run the blocks marked 'display' (and only those); needs DISPLAY")
    options = parser.parse_args(argv[1:])

    build = options.build or os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(options.host))))
    blocks = parse_checks(options.checks)
    only = set(filter(None, options.only.split(",")))
    failed, passed, pending = [], 0, 0
    with tempfile.TemporaryDirectory(prefix="krb-host-checks-") as folder:
        path = to_windows_path if is_windows_program(options.host) else os.path.abspath
        replacements = {
            "{bundle}": path(options.bundle),
            "{tmp}": path(folder),
            "{entry}": "InitDll" if is_windows_program(options.host) else "ModuleEntry",
        }
        suffix = ".exe" if is_windows_program(options.host) else ""
        for block in blocks:
            if only and block.name not in only:
                continue
            if block.display != options.display:
                continue
            args = []
            for arg in block.args:
                for key, value in replacements.items():
                    arg = arg.replace(key, value)
                args.append(arg)
            program = options.host
            if block.program:
                program = block.program.replace("{build}", build).replace("{exe}", suffix)
            result = run_program(program, args, block.debug_output, block.display)
            if options.verbose:
                print("\n".join(f"    | {line}" for line in result.stdout + result.stderr))
            block_results = []
            for number, words in block.checks:
                words = [w.replace("{entry}", replacements["{entry}"]) for w in words]
                try:
                    ok, detail = evaluate(words, result, folder)
                except (CheckError, OSError, KeyError, ValueError, IndexError) as e:
                    ok, detail = False, f"cannot check: {e}"
                block_results.append((ok, number, words, detail))
            for ok, number, words, detail in block_results:
                label = f"{block.name}: {shlex.join(words)}"
                if ok:
                    passed += 1
                    print(f"  ok       {label}")
                elif block.pending:
                    pending += 1
                    print(f"  PENDING  {label}  ({detail}; pending: {block.pending})")
                else:
                    failed.append(label)
                    print(f"  FAILED   {label}  ({detail}; line {number})")
            if block.pending and all(ok for ok, *_ in block_results):
                print(f"  note     {block.name}: every pending check passes now; remove its 'pending' line")
            if not all(ok for ok, *_ in block_results) and not block.pending and not options.verbose:
                for line in result.stderr[-20:]:
                    print(f"    stderr | {line}")

    kind = "Host display checks" if options.display else "Host checks"
    print(f"{kind}: {passed} passed, {len(failed)} failed, {pending} pending")
    return 1 if failed else 0


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv))
    except CheckError as e:
        print(f"host_checks.py: {e}", file=sys.stderr)
        sys.exit(2)
