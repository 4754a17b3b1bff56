#!/usr/bin/env python3
"""Joins the benchmark results into one Markdown table.

    report.py HOST_JSON HOST_MEMORY WINE_ROWS

HOST_JSON is Google Benchmark's JSON output of bench_script_read, HOST_MEMORY the lines of
bench_script_memory, WINE_ROWS the "row" lines of bench_driver. Each figure is the median of
its runs with their minimum and maximum, and the ratio of its median to the median of the
reference measured in the same session.
"""
import json
import sys

MIB = 1024 * 1024


def read_wine_rows(path):
    rows = {}
    with open(path, encoding="utf-8", errors="replace") as f:
        for line in f:
            fields = line.strip().split("\t")
            if len(fields) == 7 and fields[0] == "row":
                _, key, runs, median, low, high, peak_kib = fields
                rows[key] = dict(runs=int(runs), median=float(median), min=float(low),
                                 max=float(high), peak=int(peak_kib) * 1024)
    return rows


def read_host_json(path):
    """Aggregates per benchmark run name, times in milliseconds."""
    with open(path) as f:
        data = json.load(f)
    rows = {}
    for b in data["benchmarks"]:
        if b.get("run_type") != "aggregate":
            continue
        name = b["run_name"].split("/min_time")[0]
        row = rows.setdefault(name, dict(runs=b["repetitions"]))
        scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
        if b["aggregate_name"] in ("median", "min", "max"):
            row[b["aggregate_name"]] = b["real_time"] * scale
    return rows


def read_host_memory(path):
    rows = {}
    with open(path) as f:
        for line in f:
            lines, file_bytes, operations, list_bytes, peak = map(int, line.split())
            rows[lines] = dict(file=file_bytes, operations=operations, list=list_bytes,
                               peak=peak)
    return rows


def ms(value):
    return f"{value:.3g}" if value < 100 else f"{value:.0f}"


def mib(value):
    return f"{value / MIB:.1f} MiB"


def main():
    host = read_host_json(sys.argv[1])
    memory = read_host_memory(sys.argv[2])
    wine = read_wine_rows(sys.argv[3])

    table = [("figure", "runs", "median ms", "min ms", "max ms", "reference median ms",
              "ratio", "target", "memory")]

    def add(label, row, reference, target="", memory_text=""):
        ratio = row["median"] / reference["median"]
        table.append((label, str(row["runs"]), ms(row["median"]), ms(row["min"]), ms(row["max"]),
                      ms(reference["median"]), f"{ratio:.2f}", target, memory_text))

    def peak(row, reference):
        return f"peak WS {mib(row['peak'])} (reference {mib(reference['peak'])})"

    launch_ref = wine["launch.reference"]
    add("Wine: reference launcher", launch_ref, launch_ref, "", f"peak WS {mib(launch_ref['peak'])}")
    for key, label, target in (
            ("launch.plain", 'Wine: tendril.exe, no "-r"', "<= 1.03"),
            ("launch.not_due", 'Wine: tendril.exe -r, not due', "<= 1.05"),
            ("launch.due_empty", "Wine: tendril.exe -r, due, nothing staged", "<= 1.25")):
        add(label, wine[key], launch_ref, target, peak(wine[key], launch_ref))

    update_ref = wine["update.reference"]
    update_key = next(k for k in wine if k.startswith("update.tendril."))
    folders, files = map(int, update_key.split(".")[2:])
    add(f"Wine: tendril.exe -r, {folders * files:,} files in {folders} folders", wine[update_key],
        update_ref, "<= 1.10", peak(wine[update_key], update_ref))

    script_key = next(k for k in wine if k.startswith("script.") and k != "script.empty")
    lines = int(script_key.split(".")[1])
    script_ref, script = wine["script.empty"], wine[script_key]
    added = script["peak"] - script_ref["peak"]
    file_bytes = memory[lines]["file"] if lines in memory else 0
    relative = f" = {added / file_bytes:.1f}x the file" if file_bytes else ""
    add(f"Wine: tendril.exe -r, {lines:,}-line script queued (vs. empty queue)", script,
        script_ref, "peak <= 4x file", f"peak WS {mib(script['peak'])}, +{mib(added)}{relative}")

    for n in sorted(memory):
        parse, read = host.get(f"ParseScript/{n}"), host.get(f"ReadLines/{n}")
        if parse is None or read is None:
            continue
        m = memory[n]
        per_line = parse["median"] * 1e6 / n
        add(f"host: ParseRegistryScript, {n:,} lines ({per_line:.0f} ns/line)", parse, read,
            "<= 3, linear",
            f"list {m['list'] / m['file']:.1f}x file, peak {m['peak'] / m['file']:.1f}x "
            f"({mib(m['file'])} file)")

    widths = [max(len(row[i]) for row in table) for i in range(len(table[0]))]
    for index, row in enumerate(table):
        print("| " + " | ".join(cell.ljust(w) for cell, w in zip(row, widths)) + " |")
        if index == 0:
            print("|" + "|".join("-" * (w + 2) for w in widths) + "|")


if __name__ == "__main__":
    main()
