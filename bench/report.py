#!/usr/bin/python3
"""Runs the benchmarks and prints one table of figures, floors, ratios and goals.

    report.py BUILD_DIR [--brief]

Needs $BUILD_DIR/bench/image_bench (native, Google Benchmark) and the Windows
tree $BUILD_DIR/win with module_bench.exe and snapinctl.exe; Wine must be set
up by the caller (scripts/bench). With --brief every benchmark runs once on
its small cases and the table shows those figures; no goal is judged.
With BENCH_BASELINE naming an earlier PLUGWARD.DLL (a Windows path), the
start-up cases time it in turn with this one.
"""
import json
import os
import re
import statistics
import subprocess
import sys
import time

WINE_DLLS = "/usr/lib/i386-linux-gnu/wine/i386-windows"
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "release"))
import footprint  # noqa: E402


def native_figures(build, brief):
    """Google Benchmark medians: name -> (real seconds per iteration, bytes per second)."""
    out = os.path.join(build, "bench", "image_bench.json")
    args = [os.path.join(build, "bench", "image_bench"), "--benchmark_out=" + out, "--benchmark_out_format=json"]
    if brief:
        args += ["--benchmark_filter=/(1MB|200KB|200MB)", "--benchmark_min_time=0.01"]
    else:
        args += ["--benchmark_repetitions=5", "--benchmark_report_aggregates_only=true",
                 "--benchmark_enable_random_interleaving=true"]
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    figures = {}
    for b in json.load(open(out))["benchmarks"]:
        if b.get("run_type") == "aggregate" and b.get("aggregate_name") != "median":
            continue
        name = b.get("run_name", b["name"]).replace("/real_time", "")
        scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[b["time_unit"]]
        if name.startswith("pair/"):
            figures[name] = (b["ours"], b["reference"])
        else:
            figures[name] = (b["real_time"] * scale, b.get("bytes_per_second"))
    return figures


def module_figures(build, brief):
    """module_bench.exe figures: name -> milliseconds."""
    exe = os.path.join(build, "win", "bin", "module_bench.exe")
    baseline = os.environ.get("BENCH_BASELINE")
    run = subprocess.run(["wine", exe] + (["--brief"] if brief else []) + (["--baseline", baseline] if baseline else []),
                         stdin=subprocess.DEVNULL,
                         stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    figures = {}
    for line in run.stdout.splitlines():
        m = re.match(r"figure (\S+ \S+) (-?[0-9.]+)$", line.strip())
        if m:
            figures[m.group(1)] = float(m.group(2))
    if run.returncode != 0:
        sys.exit("module_bench failed:\n" + run.stdout)
    return figures


def inspect_figures(build, brief):
    """Wall seconds of snapinctl inspect --json and of the pefile script over
    Wine's own i386 DLLs, alternating, medians of three runs each."""
    files = sorted(f for f in os.listdir(WINE_DLLS) if f.endswith(".dll"))
    if brief:
        files = files[:20]
    commands = {
        "snapinctl": ["wine", os.path.join(build, "win", "bin", "snapinctl.exe"), "inspect", "--json"] + files,
        "pefile": ["/usr/bin/python3", os.path.join(HERE, "pefile_inspect.py")] + files,
    }
    times = {name: [] for name in commands}
    outputs = {}
    for _ in range(1 if brief else 3):
        for name, command in commands.items():
            start = time.perf_counter()
            run = subprocess.run(command, cwd=WINE_DLLS, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                 stderr=subprocess.DEVNULL, text=True)
            times[name].append(time.perf_counter() - start)
            outputs[name] = run.stdout
    agree = verdicts(outputs["snapinctl"], snapinctl=True) == verdicts(outputs["pefile"], snapinctl=False)
    return {name: statistics.median(t) for name, t in times.items()}, len(files), agree


def verdicts(output, snapinctl):
    rows = []
    for line in output.splitlines():
        row = json.loads(line)
        text = row["description"] if not snapinctl or row["descriptionCode"] == 0 else None
        # snapinctl gives a kind only to a snap-in.
        rows.append((row["file"], row["check"], row["kind"] if row["check"] == 0 else None, text))
    return rows


class Table:
    def __init__(self, judge):
        self.rows = []
        self.judge = judge

    def add(self, what, case, value, reference, ratio, goal=None, met=None):
        verdict = "" if met is None or not self.judge else ("met" if met else "MISSED")
        self.rows.append((what, case, value, reference, "%.2f" % ratio, goal or "", verdict))

    def print(self):
        header = ("Benchmark", "Case", "Figure", "Floor or reference", "Ratio", "Goal", "")
        print("| " + " | ".join(header) + " |")
        print("|" + "|".join("---" for _ in header) + "|")
        for row in self.rows:
            print("| " + " | ".join(row) + " |")


def gbs(bytes_per_second):
    return "%.2f GB/s" % (bytes_per_second / 1e9)


def ms(value):
    return "%.3f ms" % value if value < 10 else "%.1f ms" % value


def add_footprint(table, build):
    """The release binaries' size and imports against their limits (docs/footprint.tsv)."""
    limits = footprint.read_limits(os.path.join(HERE, "..", "docs", "footprint.tsv"))
    goals = {"PLUGWARD.DLL": 128 * 1024}
    for name in ("PLUGWARD.DLL", "snapinctl.exe"):
        path = os.path.join(build, "ship", "bin", name)
        size, imports = os.path.getsize(path), footprint.imports_per_dll("i686-w64-mingw32-objdump", path)
        max_size, max_imports = limits[name]
        goal = goals.get(name)
        table.add("Footprint: " + name, "stripped size", "{:,} bytes".format(size), "limit {:,} bytes".format(max_size),
                  size / (goal or max_size), goal and "<= 128 KB", goal and size <= goal)
        count = sum(imports.values())
        table.add("Footprint: " + name, "imported functions", "%d from %d DLLs" % (count, len(imports)),
                  "limit %d" % max_imports, count / max_imports, "<= limit", count <= max_imports)


def main():
    build = sys.argv[1]
    brief = "--brief" in sys.argv[2:]
    native = native_figures(build, brief)
    module = module_figures(build, brief)
    inspect, count, agree = inspect_figures(build, brief)
    table = Table(judge=not brief)

    for size in ("1MB", "256MB"):
        for block in ("zeros", "text", "dense"):
            reference, goal = ("memmem", 0.25) if block == "dense" else ("memchr", 0.9)
            pair = native.get("pair/%s/%s/%s" % (reference, block, size))
            if not pair:
                continue
            alone = {n: native["%s/%s/%s" % (n, block, size)][1]
                     for n in ("FindStringInBlock", "memchr", "memmem", "definition")}
            others = ", ".join("%s %s" % (n, gbs(alone[n])) for n in alone if n != reference)
            ratio = pair[0] / pair[1]
            table.add("FindStringInBlock (native)", "%s, %s" % (block, size), gbs(pair[0]),
                      "%s %s, in turn with it (alone: %s)" % (reference, gbs(pair[1]), others),
                      ratio, ">= %.2f x %s" % (goal, reference), ratio >= goal)

    small, large = native["InspectSnapinImage/200KB"][0], native["InspectSnapinImage/200MB"][0]
    table.add("InspectSnapinImage (native)", "200 MB vs 200 KB image", "%.0f ns" % (large * 1e9),
              "%.0f ns" % (small * 1e9), large / small, "<= 2", large / small <= 2)
    small, large = module["check/200KB CheckSnapinImage"], module["check/200MB CheckSnapinImage"]
    table.add("CheckSnapinImage (Wine)", "200 MB vs 200 KB file", ms(large), ms(small), large / small, "<= 2",
              large / small <= 2)

    for count_files in (10, 100, 1000, 10000):
        name = "startup/known/%d" % count_files
        if name + " module" not in module:
            continue
        value, floor = module[name + " module"], module[name + " floor"]
        goal = "<= 1.5 x floor" if count_files == 1000 else None
        table.add("Start-up, known (Wine)", "%d entries and files" % count_files, ms(value),
                  "listing + RegEnumValueA %s" % ms(floor), value / floor, goal, goal and value / floor <= 1.5)
    if "startup/known/10000 module" in module:
        ratio = module["startup/known/10000 module"] / module["startup/known/1000 module"]
        floor_growth = module["startup/known/10000 floor"] / module["startup/known/1000 floor"]
        table.add("Start-up, known (Wine)", "10,000 vs 1,000", ms(module["startup/known/10000 module"]),
                  "1,000: %s (the floor grows %.2f x)" % (ms(module["startup/known/1000 module"]), floor_growth),
                  ratio, "<= 11", ratio <= 11)
    for count_files in (10, 100, 1000, 10000):
        name = "startup/known/%d" % count_files
        if name + " today" not in module:
            continue
        value, today = module[name + " module"], module[name + " today"]
        table.add("Start-up, no policy key, vs today (Wine)", "%d entries and files" % count_files, ms(value),
                  "today's module %s, in turn with it" % ms(today), value / today, "<= 1.05 x today",
                  value / today <= 1.05)
    if "startup/policy/10000 module" in module:
        value, floor = module["startup/policy/10000 module"], module["startup/policy/10000 floor"]
        table.add("Start-up, known, 10,000-name Blocked (Wine)", "10000 entries and files", ms(value),
                  "listing + RegEnumValueA of lists and Blocked %s" % ms(floor), value / floor, "<= 1.5 x floor",
                  value / floor <= 1.5)
    for count_files in (100, 1000):
        name = "startup/trusted/%d" % count_files
        if name + " module" not in module:
            continue
        value, floor = module[name + " module"], module[name + " floor"]
        table.add("Start-up, RequireTrustedPublisher on (Wine)", "%d signed entries" % count_files, ms(value),
                  "setting absent %s + WinVerifyTrust and store look-up per file %s" % (
                      ms(module[name + " absent"]), ms(module[name + " checks"])),
                  value / floor, "<= 1.2 x floor", value / floor <= 1.2)
    for count_files in (10, 100, 1000, 10000):
        name = "startup/new/%d" % count_files
        if name + " module" not in module:
            continue
        value, floor = module[name + " module"], module[name + " floor"]
        goal = "<= 1.5 x floor" if count_files >= 1000 else None
        table.add("Start-up, new non-snap-ins (Wine)", "%d files" % count_files, ms(value),
                  "floor + open/size/map/close %s" % ms(floor), value / floor, goal, goal and value / floor <= 1.5)

    for rows in (10, 100, 1000):
        for policy in ("", "/policy"):
            name = "dialog/%d%s" % (rows, policy)
            if name + " OnInitDialog" not in module:
                continue
            value, floor = module[name + " OnInitDialog"], module[name + " floor"]
            goal = "<= 1.2 x floor" if rows >= 100 else None
            table.add("Configuration dialog OnInitDialog (Wine)",
                      "%d rows%s" % (rows, ", under a policy" if policy else ""), ms(value),
                      "RegEnumValueA + version calls + list box %s" % ms(floor), value / floor,
                      goal or "reported, no goal", goal and value / floor <= 1.2)

    ratio = inspect["snapinctl"] / inspect["pefile"]
    table.add("snapinctl inspect --json (Wine)", "%d Wine DLLs%s" % (count, "" if agree else ", OUTPUTS DIFFER"),
              "%.2f s" % inspect["snapinctl"], "pefile script %.2f s" % inspect["pefile"], ratio,
              "< 1 x pefile", ratio < 1 and agree)
    add_footprint(table, build)
    table.print()


if __name__ == "__main__":
    main()
