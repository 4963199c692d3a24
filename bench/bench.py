#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Measures what one `Reelkit +b` of a full block costs, and checks it against its targets.

A `+b` of a 65,533-byte block must cost no more than starting a process that does nothing, although
Reelkit reads the whole image through, block by block, before it appends:
  - median time per run onto an empty image at most 1.0x that of /bin/true,
  - and at most 0.7x that of `tee -a image < data > /dev/null` appending the same bytes;
  - onto a 1 MiB tape of 100 blocks at most 1.10x that onto an empty image;
  - its cost grows with the number of blocks, not their bytes: the figures a block are given for a
    256 MiB image of 4,096 full blocks and a 1 MiB image of as many small ones;
  - peak resident memory at most 1 MiB;
  - `+m` of a list of ten files of different sizes up to 64 KiB, replacing the tape it made the
    run before, at most 1.5x one `+f` of the largest of them onto an empty image;
  - `+i` of the 1 MiB tape of 100 blocks, every checksum checked, at most 2.0x the `+b` above.

`+m` makes the whole tape in memory, writes it to a new file and renames that over the old tape,
so its cost holds the file system's creating, writing and renaming, and the old tape's removal.

Each round runs every command once, in a shuffled order, so that all of them see the same load.
An image is put back to its starting size before each run, outside the timed part, because
`+b` and `tee -a` append every time. Times are wall-clock from spawn to reap, as a caller sees.

Peak RSS is VmHWM read from /proc at the moment a traced run exits. The usual getrusage/wait4
figure is useless here: the kernel carries the spawning process's own peak over the exec, so
every child would report the size of this Python interpreter.

The same traced runs read /proc/<pid>/io to show that Reelkit reads each block's length, not its
data: of the 256 MiB image, at most one window (WINDOW bytes) a block and its first block whole.

Exit status: 0 when every target is met, 1 when one is missed, 2 when the runs cannot be made.
Timing-sensitive: run it on a quiet machine, not in CI.
"""

import argparse
import ctypes
import os
import random
import shutil
import signal
import statistics
import sys
import tempfile
import time
from pathlib import Path

BLOCK_DATA = 65533  # the most that one block holds
BIG_BLOCKS = 4096  # full blocks in the 256 MiB image
FULL_BLOCK = 2 + 65535  # the largest block: its length, then 65,535 bytes
TZX_HEADER = b"ZXTape!\x1a\x01\x14"
TZX_DATA_BLOCK = b"\x10\xe8\x03"  # standard speed, 1000 ms after it
WINDOW = 512  # what Reelkit reads at a block's start to find its length
RSS_LIMIT_KIB = 1024
# The files of +m's list: the largest a block holds, and nine others, each half the one before.
MAKE_SIZES = [BLOCK_DATA >> i for i in range(10)]

PTRACE_TRACEME = 0
PTRACE_CONT = 7
PTRACE_SETOPTIONS = 0x4200
PTRACE_O_TRACEEXIT = 0x40
PTRACE_O_EXITKILL = 0x100000
PTRACE_EVENT_EXIT = 6


class SetupError(Exception):
    pass


class Case:
    """One command line, what it reads on stdin, and the image it appends to."""

    def __init__(self, name, argv, stdin, image, start_size, appended, prefix=b""):
        self.name, self.argv, self.stdin = name, argv, stdin
        self.image, self.start_size, self.appended = image, start_size, appended
        self.prefix = prefix  # what a block is framed with in this image
        self.wall_ns, self.cpu_ns = [], []
        self.peak_kib = self.read_bytes = None

    def reset(self):
        if self.start_size:
            os.truncate(self.image, self.start_size)
            return
        # A fresh file, not one cut to zero: ext4 flushes a file that was truncated to zero
        # when it is closed next, which would bill the writer for this script's reset.
        os.unlink(self.image)
        os.close(os.open(self.image, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o644))

    def check_appended(self):
        size = os.stat(self.image).st_size
        if size != self.start_size + self.appended:
            raise SetupError(f"{self.name}: image is {size} bytes, "
                             f"expected {self.start_size + self.appended}")


def timed_run(case):
    case.reset()
    actions = [(os.POSIX_SPAWN_OPEN, 0, case.stdin, os.O_RDONLY, 0),
               (os.POSIX_SPAWN_OPEN, 1, os.devnull, os.O_WRONLY, 0)]
    start = time.perf_counter_ns()
    pid = os.posix_spawn(case.argv[0], case.argv, os.environ, file_actions=actions)
    _, status, usage = os.wait4(pid, 0)
    wall = time.perf_counter_ns() - start
    if os.waitstatus_to_exitcode(status) != 0:
        raise SetupError(f"{case.name}: exit status {os.waitstatus_to_exitcode(status)}")
    case.check_appended()
    return wall, round((usage.ru_utime + usage.ru_stime) * 1e9)


def _ptrace():
    libc = ctypes.CDLL(None, use_errno=True)
    libc.ptrace.argtypes = [ctypes.c_long, ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p]
    libc.ptrace.restype = ctypes.c_long

    def call(request, pid=0, data=0):
        if libc.ptrace(request, pid, None, ctypes.c_void_p(data)) < 0:
            raise SetupError(f"ptrace({request:#x}): {os.strerror(ctypes.get_errno())}")

    return call


def traced_run(case, ptrace):
    """Runs the case stopped at its exit; returns (VmHWM in KiB, bytes read)."""
    case.reset()
    pid = os.fork()
    if pid == 0:
        try:
            os.dup2(os.open(case.stdin, os.O_RDONLY), 0)
            os.dup2(os.open(os.devnull, os.O_WRONLY), 1)
            ptrace(PTRACE_TRACEME)
            os.execv(case.argv[0], case.argv)
        finally:
            os._exit(127)
    _, status = os.waitpid(pid, 0)  # stopped by the exec
    if not os.WIFSTOPPED(status):
        raise SetupError(f"{case.name}: could not be traced")
    ptrace(PTRACE_SETOPTIONS, pid, PTRACE_O_TRACEEXIT | PTRACE_O_EXITKILL)
    ptrace(PTRACE_CONT, pid)
    _, status = os.waitpid(pid, 0)
    if status >> 8 != signal.SIGTRAP | PTRACE_EVENT_EXIT << 8:
        raise SetupError(f"{case.name}: unexpected stop {status:#x}")
    fields = dict(line.split(":", 1) for line in Path(f"/proc/{pid}/status").read_text()
                  .splitlines())
    io = dict(line.split(": ") for line in Path(f"/proc/{pid}/io").read_text().splitlines())
    ptrace(PTRACE_CONT, pid)
    _, status = os.waitpid(pid, 0)
    if os.waitstatus_to_exitcode(status) != 0:
        raise SetupError(f"{case.name}: exit status {os.waitstatus_to_exitcode(status)}")
    case.check_appended()
    return int(fields["VmHWM"].split()[0]), int(io["rchar"])


def expected_block(data, flag=0xFF):
    checksum = flag
    for byte in data:
        checksum ^= byte
    length = len(data) + 2
    return bytes([length & 0xFF, length >> 8, flag]) + data + bytes([checksum])


def write_big_image(path, dense):
    """4,096 blocks of 65,535 zero bytes after their lengths: sparse unless dense is asked for."""
    with open(path, "wb") as big:
        for block in range(BIG_BLOCKS):
            big.seek(block * FULL_BLOCK)
            big.write(b"\xff\xff" + (bytes(FULL_BLOCK - 2) if dense else b""))
        big.truncate(BIG_BLOCKS * FULL_BLOCK)


def check_output(case, data):
    """A fast tool that writes the wrong bytes proves nothing: look at one block first."""
    timed_run(case)
    with open(case.image, "rb") as image:
        image.seek(case.start_size)
        if image.read() != case.prefix + expected_block(data):
            raise SetupError(f"{case.name}: the appended block is not the expected one")


def check_make(case, made, work):
    """+m must give the tape its commands give one by one, and leave no other file."""
    before = set(os.listdir(work))
    timed_run(case)
    if Path(case.image).read_bytes() != made or set(os.listdir(work)) != before:
        raise SetupError(f"{case.name}: the tape is not the one its list makes")


def cpu_pressure():
    """Share of the last 10 s in which some task waited for a CPU, or None if unknown."""
    try:
        some = Path("/proc/pressure/cpu").read_text().splitlines()[0]
    except (OSError, IndexError):
        return None
    return float(dict(field.split("=") for field in some.split()[1:])["avg10"])


def percentile(values, fraction):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(fraction * len(ordered)))]


def main():
    repo = Path(__file__).resolve().parent.parent
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--reelkit", default=str(repo / "build/release/Reelkit"),
                        help="executable to measure (default: %(default)s)")
    parser.add_argument("--runs", type=int, default=400, help="timed runs of each command")
    parser.add_argument("--warmup", type=int, default=30, help="untimed rounds first")
    parser.add_argument("--rss-runs", type=int, default=20, help="traced runs per command")
    parser.add_argument("--dir", help="where the images go (default: a new temporary folder)")
    parser.add_argument("--dense", action="store_true",
                        help="write the 256 MiB image out instead of leaving it sparse")
    parser.add_argument("--seed", type=int, default=1, help="seed for data and run order")
    args = parser.parse_args()

    reelkit = os.path.abspath(args.reelkit)
    tee = shutil.which("tee")
    if not os.access(reelkit, os.X_OK) or not tee:
        print(f"missing executable: {reelkit if tee else 'tee'}", file=sys.stderr)
        return 2

    rng = random.Random(args.seed)
    with tempfile.TemporaryDirectory(dir=args.dir, prefix="reelkit-bench-") as work:
        work = Path(work)
        data = rng.randbytes(BLOCK_DATA)
        (work / "data.bin").write_bytes(data)
        write_big_image(work / "big.tap", args.dense)
        # 1 MiB in 100 blocks, and as many small blocks as the big image has.
        (work / "mid.tap").write_bytes(b"".join(
            expected_block(rng.randbytes(10483 - 2)) for _ in range(100)))
        (work / "many.tap").write_bytes(b"".join(
            expected_block(rng.randbytes(252)) for _ in range(BIG_BLOCKS)))
        (work / "image.tzx").write_bytes(TZX_HEADER)
        for name in ("empty.tap", "tee.tap", "one.tap", "step.tap"):
            (work / name).touch()
        parts = [rng.randbytes(size) for size in MAKE_SIZES]
        lines = []
        for number, part in enumerate(parts):
            (work / f"part{number}.bin").write_bytes(part)
            lines.append(f"+f part{number}.bin part{number} C 32768\n")
        (work / "make.list").write_text("".join(lines))

        source, null = str(work / "data.bin"), os.devnull
        true_case = Case("/bin/true", ["/bin/true"], null, str(work / "empty.tap"), 0, 0)
        tee_case = Case("tee -a (empty image)", [tee, "-a", str(work / "tee.tap")], source,
                        str(work / "tee.tap"), 0, BLOCK_DATA)
        empty_case = Case("Reelkit +b (empty image)",
                          [reelkit, "+b", str(work / "empty.tap"), source], null,
                          str(work / "empty.tap"), 0, BLOCK_DATA + 4)
        def append_case(name, image):
            path = str(work / image)
            return Case(name, [reelkit, "+b", path, source], null, path, os.stat(path).st_size,
                        BLOCK_DATA + 4)

        mid_case = append_case("Reelkit +b (1 MiB, 100)", "mid.tap")
        many_case = append_case("Reelkit +b (1 MiB, 4096)", "many.tap")
        big_case = append_case("Reelkit +b (256 MiB, 4096)", "big.tap")
        tzx_case = Case("Reelkit +b (TZX image)",
                        [reelkit, "+b", str(work / "image.tzx"), source], null,
                        str(work / "image.tzx"), len(TZX_HEADER),
                        len(TZX_DATA_BLOCK) + BLOCK_DATA + 4, TZX_DATA_BLOCK)
        # The tape +m makes, known from the same commands run one by one.
        made = b"".join(expected_block(b"\x03" + f"part{number}".ljust(10).encode() +
                                       len(part).to_bytes(2, "little") + b"\x00\x80\x00\x00",
                                       0) + expected_block(part)
                        for number, part in enumerate(parts))
        make_case = Case("Reelkit +m (ten files)",
                         [reelkit, "+m", str(work / "made.tap"), str(work / "make.list")], null,
                         str(work / "made.tap"), len(made), 0)
        (work / "made.tap").write_bytes(made)
        largest = str(work / "part0.bin")
        file_case = Case("Reelkit +f (largest file)",
                         [reelkit, "+f", str(work / "one.tap"), largest, "part0", "C", "32768"],
                         null, str(work / "one.tap"), 0, 21 + BLOCK_DATA + 4)
        info_case = Case("Reelkit +i (1 MiB, 100)", [reelkit, "+i", str(work / "mid.tap")], null,
                         str(work / "mid.tap"), os.stat(work / "mid.tap").st_size, 0)
        cases = [true_case, tee_case, empty_case, mid_case, many_case, big_case, tzx_case,
                 make_case, file_case, info_case]
        reelkit_cases = (empty_case, mid_case, many_case, big_case, tzx_case, make_case,
                         file_case, info_case)

        try:
            for case in (empty_case, mid_case, many_case, big_case, tzx_case):
                check_output(case, data)
            check_make(make_case, made, work)
            ptrace = _ptrace()
            for case in cases:
                probes = [traced_run(case, ptrace) for _ in range(args.rss_runs)]
                case.peak_kib = max(peak for peak, _ in probes)
                case.read_bytes = max(read for _, read in probes)
            for round_number in range(args.warmup + args.runs):
                order = cases[:]
                rng.shuffle(order)
                for case in order:
                    wall, cpu = timed_run(case)
                    if round_number >= args.warmup:
                        case.wall_ns.append(wall)
                        case.cpu_ns.append(cpu)
        except (SetupError, OSError) as error:
            print(f"cannot measure: {error}", file=sys.stderr)
            return 2

    median = {case: statistics.median(case.wall_ns) / 1e6 for case in cases}
    waiting = cpu_pressure()
    print(f"{args.runs} interleaved runs each after {args.warmup} warm-up rounds; "
          f"load average {os.getloadavg()[0]:.2f} on {os.cpu_count()} CPUs; "
          f"{'dense' if args.dense else 'sparse'} 256 MiB image")
    if waiting is not None and waiting > 10:
        print(f"the machine is busy (tasks waited for a CPU {waiting:.0f}% of the last 10 s): "
              "that swamps runs of half a millisecond, so these times say little")
    print(f"{reelkit}\n")
    print(f"{'command':<28}{'median ms':>10}{'p10 ms':>9}{'p90 ms':>9}{'CPU ms':>9}"
          f"{'peak RSS KiB':>14}{'bytes read':>12}")
    for case in cases:
        print(f"{case.name:<28}{median[case]:>10.3f}{percentile(case.wall_ns, .1) / 1e6:>9.3f}"
              f"{percentile(case.wall_ns, .9) / 1e6:>9.3f}"
              f"{statistics.median(case.cpu_ns) / 1e6:>9.3f}{case.peak_kib:>14}"
              f"{case.read_bytes:>12}")

    reelkit_peak = max(case.peak_kib for case in (empty_case, mid_case, many_case, big_case,
                                                  tzx_case))
    checks = [
        ("Reelkit +b / /bin/true", median[empty_case] / median[true_case], 1.0, "{:.2f}x"),
        ("Reelkit +b / tee -a", median[empty_case] / median[tee_case], 0.7, "{:.2f}x"),
        ("1 MiB of 100 / empty image", median[mid_case] / median[empty_case], 1.1, "{:.2f}x"),
        ("peak RSS of Reelkit +b, KiB", reelkit_peak, RSS_LIMIT_KIB, "{}"),
        ("+m of ten / +f of the largest", median[make_case] / median[file_case], 1.5, "{:.2f}x"),
        ("+i of 1 MiB / +b of a block", median[info_case] / median[empty_case], 2.0, "{:.2f}x"),
        # Its first block whole, for the checksum; a window at every block's start.
        ("bytes read of 256 MiB image", big_case.read_bytes - empty_case.read_bytes,
         FULL_BLOCK + (BIG_BLOCKS + 1) * WINDOW, "{}"),
    ]
    for case in (many_case, big_case):
        extra = median[case] - median[empty_case]
        print(f"\n{case.name}: {extra:.3f} ms more than an empty image, "
              f"{extra / BIG_BLOCKS * 1000:.2f} us a block", end="")
    print()
    print(f"\n{'target':<30}{'measured':>10}{'limit':>9}  result")
    missed = 0
    for name, value, limit, form in checks:
        met = value <= limit
        missed += not met
        print(f"{name:<30}{form.format(value):>10}{form.format(limit):>9}  "
              f"{'met' if met else 'MISSED'}")
    return 1 if missed else 0


if __name__ == "__main__":
    sys.exit(main())
