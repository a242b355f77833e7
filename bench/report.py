#!/usr/bin/env python3
"""Reads the JSON files the benchmarks wrote and prints one table: every measure with its
floor or target beside it and whether it meets it.

    bench/report.py RESULT.json...

Exits 1 when a file cannot be read or a benchmark reported an error (it could not measure),
and 0 otherwise: a missed target is a "no" in the table, not a failure of the run.
"""

import json
import sys
from dataclasses import dataclass
from typing import Optional

MICRO = 1e-6
MILLI = 1e-3


@dataclass(frozen=True)
class Measure:
    benchmark: str  # the benchmark's own name, without the /real_time, /iterations:N... suffixes
    label: str
    limit: Optional[float] = None  # an absolute target: the result must stay below it
    floor: Optional[str] = None  # the benchmark doing the least work the measure cannot avoid
    within: Optional[float] = None  # the measure may take at most this many times its floor
    counter: Optional[str] = None  # report this counter instead of the time
    unit: str = "s"  # the counter's unit, or "s" for times


# Every measure and what it is held to, in the order of the table. A benchmark not named here
# still gets a row, without a target.
MEASURES = [
    Measure("BM_PlanSwitchPreset", "Plan, switch preset (60 tiles)", limit=100 * MICRO),
    Measure("BM_PlanReorderSameLength", "Plan, reorder (60 tiles)", limit=100 * MICRO),
    Measure("BM_PlanUnchanged", "Plan, unchanged (60 tiles)", limit=100 * MICRO),
    Measure("BM_StateSave", "State save (30 presets of 40 apps, 60 tiles)", limit=5 * MILLI),
    Measure("BM_StateLoad", "State load (30 presets of 40 apps, 60 tiles)", limit=5 * MILLI),
    Measure("BM_Activate", "Activate preset (40 tiles, files)",
            floor="BM_ActivateFloor_ThreeAtomicWrites", within=3),
    Measure("BM_Scan", "Scan 1,000 bundles", limit=50 * MILLI),
    Measure("BM_GnomeSwitchFromPanel", "GNOME switch, activate → favourites written",
            floor="BM_GsettingsSetCommand", within=1),
    Measure("BM_DesktopEntryScan", "Desktop-entry scan (machine + 500)", limit=50 * MILLI),
    Measure("StartToSettingsWindowShown", "Start → settings window shown", limit=400 * MILLI),
    Measure("ShortcutToPanelShown", "Shortcut → panel shown", limit=50 * MILLI),
    Measure("CommandActivateOnGnomeDock", "kestrine activate → exit (GNOME dock, running)",
            floor="GsettingsSetFavorites", within=1),
    Measure("ResidentMemoryWith300Icons", "Resident memory, 300 icons", limit=80,
            counter="VmRSS_MB", unit="MB"),
    # Where state load, save and scan time goes; no target of their own.
    Measure("BM_FloorWriteAtomically", "  detail: atomic write of the state's bytes"),
    Measure("BM_FloorReadFile", "  detail: read of the state's bytes"),
    Measure("BM_StateEncodeOnly", "  detail: state encode, no file"),
    Measure("BM_StateEncodeFreshTiles", "  detail: state encode, tiles not encoded yet"),
    Measure("BM_StateDecodeOnly", "  detail: state decode, no file"),
    Measure("BM_StateCopyOnly", "  detail: state deep copy"),
    Measure("BM_TileDecodeOnly", "  detail: decode 60 stored tiles"),
    Measure("BM_JSONParseOnly", "  detail: JSON parse"),
    Measure("BM_ListAndReadFloor", "  detail: scan's listing and reading, no parsing"),
]

TIME_UNITS = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}


@dataclass
class Result:
    name: str  # as the benchmark reported it, e.g. BM_Activate/real_time
    real: float  # seconds per iteration
    cpu: float
    counters: dict
    error: Optional[str] = None
    repetitions: int = 1

    @property
    def uses_real_time(self) -> bool:
        parts = self.name.split("/")[1:]
        return "real_time" in parts or "manual_time" in parts

    @property
    def time(self) -> float:
        return self.real if self.uses_real_time else self.cpu

    def time_like(self, other: "Result") -> float:
        """This result's time on the clock the other one is judged by."""
        return self.real if other.uses_real_time else self.cpu


NOT_COUNTERS = {
    "name", "family_index", "per_family_instance_index", "run_name", "run_type", "repetitions",
    "repetition_index", "threads", "iterations", "real_time", "cpu_time", "time_unit",
    "aggregate_name", "aggregate_unit", "error_occurred", "error_message", "label",
    "bytes_per_second", "items_per_second",
}


def base_name(name: str) -> str:
    return name.split("/")[0]


def load(paths):
    """The results by base name, and a list of problems reading them."""
    results, problems = {}, []
    for path in paths:
        try:
            with open(path, encoding="utf-8") as f:
                text = f.read()
            if not text.strip():
                continue  # the filter matched none of this program's benchmarks
            runs = json.loads(text).get("benchmarks", [])
        except (OSError, ValueError) as e:
            problems.append(f"cannot read {path}: {e} (did the benchmark crash?)")
            continue
        by_run = {}
        for run in runs:
            by_run.setdefault(run.get("run_name", run["name"]), []).append(run)
        for run_name, group in by_run.items():
            results[base_name(run_name)] = summarise(run_name, group)
    return results, problems


def summarise(run_name, group):
    """One result from a benchmark's runs: the median when it was repeated."""
    errors = [r for r in group if r.get("error_occurred")]
    if errors:
        return Result(run_name, 0.0, 0.0, {}, error=errors[0].get("error_message", "error"))
    iterations = [r for r in group if r.get("run_type", "iteration") == "iteration"]
    medians = [r for r in group if r.get("run_type") == "aggregate" and r.get("aggregate_name") == "median"]
    chosen = medians[0] if medians else (iterations[-1] if iterations else group[0])
    scale = TIME_UNITS[chosen.get("time_unit", "ns")]
    counters = {k: v for k, v in chosen.items() if k not in NOT_COUNTERS and isinstance(v, (int, float))}
    return Result(run_name, chosen["real_time"] * scale, chosen["cpu_time"] * scale, counters,
                  repetitions=int(chosen.get("repetitions", 1)))


def format_time(seconds: float) -> str:
    for unit, size in (("s", 1.0), ("ms", 1e-3), ("µs", 1e-6)):
        if seconds >= size:
            return f"{significant(seconds / size)} {unit}"
    return f"{significant(seconds / 1e-9)} ns"


def significant(value: float) -> str:
    """Three significant figures without an exponent."""
    if value >= 100:
        return f"{value:.0f}"
    if value >= 10:
        return f"{value:.1f}"
    return f"{value:.2f}"


def format_value(value: float, unit: str) -> str:
    return format_time(value) if unit == "s" else f"{significant(value)} {unit}"


def format_limit(value: float, unit: str) -> str:
    """A target as written down: 100 µs, 80 MB."""
    if unit != "s":
        return f"{value:g} {unit}"
    for name, size in (("s", 1.0), ("ms", 1e-3), ("µs", 1e-6)):
        if value >= size:
            return f"{value / size:.4g} {name}"
    return f"{value / 1e-9:.4g} ns"


def ratio_text(ratio: float) -> str:
    return f"{ratio:.1f}×" if ratio < 10 else f"{ratio:.0f}×"


def within_text(within: float) -> str:
    return f"{within:g}×"


def row_for(measure: Measure, result: Result, results: dict, notes: list):
    """Measure, Result, Floor/target, Ratio, Meets, Clock. Errors go to the notes."""
    clock = "real" if result.uses_real_time else "cpu"

    def error(message):
        notes.append(f"{measure.label.strip()}: {message}.")
        return [measure.label, "error", "", "", "error (below)", ""]

    if result.error:
        return error(result.error)

    if measure.counter:
        if measure.counter not in result.counters:
            return error(f"the benchmark reported no {measure.counter} counter")
        value, clock = result.counters[measure.counter], "—"
    else:
        value = result.time
    shown = format_value(value, measure.unit)

    if measure.limit is not None:
        meets = "yes" if value < measure.limit else "no"
        return [measure.label, shown, "< " + format_limit(measure.limit, measure.unit), "", meets, clock]

    if measure.floor:
        floor = results.get(measure.floor)
        if floor is None:
            return [measure.label, shown, "floor not run", "", "—", clock]
        if floor.error:
            return error(f"its floor {measure.floor} failed: {floor.error}")
        floor_time = floor.time_like(result)
        ratio = value / floor_time if floor_time > 0 else float("inf")
        bound = within_text(measure.within)
        meets = f"yes (≤ {bound})" if ratio <= measure.within else f"no (> {bound})"
        return [measure.label, shown, "floor " + format_time(floor_time), ratio_text(ratio), meets, clock]

    return [measure.label, shown, "", "", "", clock]


def table(rows):
    header = ["Measure", "Result", "Floor/target", "Ratio", "Meets", "Clock"]
    widths = [max(len(r[i]) for r in [header] + rows) for i in range(len(header))]
    right = {1, 3}  # numbers line up on the right
    lines = []
    for r in [header] + rows:
        cells = [c.rjust(w) if i in right else c.ljust(w) for i, (c, w) in enumerate(zip(r, widths))]
        lines.append("  ".join(cells).rstrip())
    return lines


def main(argv):
    results, problems = load(argv[1:])
    rows, notes, used = [], [], set()
    for measure in MEASURES:
        result = results.get(measure.benchmark)
        if result is None:
            continue
        rows.append(row_for(measure, result, results, notes))
        used.add(measure.benchmark)
        if measure.floor and measure.floor in results:
            used.add(measure.floor)
        if measure.benchmark == "ShortcutToPanelShown" and "xdotool_ms" in result.counters:
            notes.append("Shortcut → panel counts from starting xdotool to press the keys; one xdotool "
                         f"key press alone takes about {format_time(result.counters['xdotool_ms'] * 1e-3)}.")
    for name in sorted(set(results) - used):
        rows.append(row_for(Measure(name, name), results[name], results, notes))

    failed = bool(problems) or any(r[4].startswith("error") for r in rows)
    missing = [m.label.strip() for m in MEASURES if m.benchmark not in results]
    repeated = {r.repetitions for r in results.values() if r.repetitions > 1}

    print()
    print("\n".join(table(rows)))
    print()
    print("Clock: real = wall-clock time (the benchmark uses real or manual time), cpu = CPU time of the")
    print("benchmark's thread; a ratio compares measure and floor on the same clock. A floor is the")
    print("bare file-system work the measure cannot avoid, run in the same benchmark program.")
    if repeated:
        print("Times are the median of the repetitions.")
    for note in notes:
        print(note)
    if missing:
        print("Not run: " + "; ".join(missing) + ".")
    for problem in problems:
        print("Problem: " + problem)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
