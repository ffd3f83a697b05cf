#!/usr/bin/env python3
"""Turns the raw results of scripts/bench into figures beside their floors and targets."""
import json
import os
import re
import statistics
import sys


def medians(path):
    """Median real and CPU time in microseconds of every microbenchmark, by name."""
    with open(path) as f:
        data = json.load(f)
    scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}
    result = {}
    for b in data["benchmarks"]:
        if b.get("run_type") != "aggregate" or b.get("aggregate_name") != "median":
            continue
        if b.get("error_occurred"):
            continue
        k = scale[b["time_unit"]]
        result[b["run_name"]] = (b["real_time"] * k, b["cpu_time"] * k, b)
    return result, data["context"]


def keyvalues(path):
    """Every key=value on every line of a results file, as lists of floats by key."""
    values = {}
    if not os.path.exists(path):
        return values
    with open(path) as f:
        for line in f:
            for key, value in re.findall(r"(\w+)=([-\d.]+)", line):
                values.setdefault(key, []).append(float(value))
    return values


def verdict(ok):
    return "met" if ok else "MISSED"


def realloop(rows, out, suffix, size, least_passes):
    """Rows for the real loop on one screen size: passes against the floor loop, ticks, the
    longest pass; least_passes, when given, is the target for passes per second."""
    passes = keyvalues(os.path.join(out, "passes%s.txt" % suffix))
    if passes.get("ratio"):
        r = statistics.median(passes["ratio"])
        rows.append(("%s: game passes/s, median of %d rounds of 0.5 s" % (size, len(passes["ratio"])),
                     "%.0f /s" % statistics.median(passes["game_passes_per_s"]), "", ""))
        rows.append(("%s: floor passes/s (clear + stretch only), same rounds" % size,
                     "%.0f /s" % statistics.median(passes["floor_passes_per_s"]), "", ""))
        rows.append(("%s: game / floor passes/s, median of per-round ratios (min %.2f, max %.2f)" % (
            size, min(passes["ratio"]), max(passes["ratio"])), "%.3f" % r, ">= 0.9", verdict(r >= 0.9)))
    if passes.get("pass_ratio"):
        rows.append(("%s: median pass: game / floor, wall clock" % size,
                     "%.1f / %.1f us: passes ratio %.3f" % (
                         passes["game"][0], passes["floor"][0], passes["pass_ratio"][0]),
                     ">= 0.9", verdict(passes["pass_ratio"][0] >= 0.9)))
        rows.append(("%s: median pass: game / floor, thread CPU" % size,
                     "%.1f / %.1f us: passes ratio %.3f" % (
                         passes["game"][1], passes["floor"][1], passes["pass_cpu_ratio"][0]),
                     ">= 0.9", verdict(passes["pass_cpu_ratio"][0] >= 0.9)))
    ticks = keyvalues(os.path.join(out, "ticks%s.txt" % suffix))
    if ticks.get("ticks_per_s"):
        t = ticks["ticks_per_s"][0]
        rows.append(("%s: ticks per second over %.0f s" % (size, ticks["seconds"][0]), "%.3f" % t,
                     "30.00 +- 0.05", verdict(abs(t - 30) <= 0.05)))
        rows.append(("%s: largest catch-up batch" % size, "%d ticks" % ticks["largest_batch"][0], "", ""))
        wait = ticks.get("longest_pass_runqueue_ms", [-1])[0]
        rows.append(("%s: longest pass, wall clock (our thread's CPU; its wait for a core)" % size,
                     "%.1f ms (%.2f ms cpu; %s wait)" % (
                         ticks["longest_pass_ms"][0], ticks["longest_pass_cpu_ms"][0],
                         "%.1f ms" % wait if wait >= 0 else "unknown"),
                     "well under 370 ms", verdict(ticks["longest_pass_ms"][0] < 370)))
        over = ticks["passes_over_100ms"][0]
        rows.append(("%s: passes longer than 100 ms; median pass" % size, "%d; %.0f us" % (
            over, ticks["median_pass_us"][0]), "none, idle", verdict(over == 0)))
        if least_passes:
            p = ticks["passes_per_s"][0]
            rows.append(("%s: passes per second over the same run" % size, "%.1f /s" % p,
                         ">= %d" % least_passes, verdict(p >= least_passes)))


def main(out):
    rows = []
    micro, context = medians(os.path.join(out, "micro.json"))
    print("machine: %d CPUs at %.0f MHz, load average %s" % (
        context["num_cpus"], context["mhz_per_cpu"],
        " ".join("%.2f" % x for x in context.get("load_avg", []))))
    print()
    print("microbenchmarks: medians of repetitions; verdicts on CPU time, since on a shared")
    print("machine the wall clock also counts the time other processes held the cores")

    longest = {n: v for n, v in micro.items() if n.startswith("BM_traumafilter_longest/")}
    at7 = {n: v for n, v in longest.items() if n.endswith("turn:7")}
    if at7:
        worst = max(at7, key=lambda n: at7[n][1])
        real, cpu, _ = at7[worst]
        rows.append(("filter, longest line, turn 7, slowest lexicon (%s)" % worst.split("/")[1],
                     "%.1f us cpu, %.1f us real" % (cpu, real), "<= 20 us", verdict(cpu <= 20)))
    for turn in (0, 7):
        name = "BM_traumafilter_everyline/turn:%d" % turn
        if name in micro:
            b = micro[name][2]
            per = 1e6 / b["items_per_second"] if b.get("items_per_second") else float("nan")
            rows.append(("filter, every line x every lexicon, turn %d, per line" % turn,
                         "%.1f us" % per, "", ""))
    lev = {n: v for n, v in micro.items() if n.startswith("BM_levenshteindistance/")}
    for name in sorted(lev):
        rows.append(("levenshteindistance %s (%s)" % (name.split("/")[1], lev[name][2].get("label", "")),
                     "%.0f ns cpu" % (lev[name][1] * 1e3), "", ""))
    cms = [v[1] for n, v in micro.items() if n.startswith("BM_calcmaxscore/")]
    if cms:
        rows.append(("calcmaxscore, %d pairings: min / median / max" % len(cms),
                     "%.1f / %.1f / %.1f us cpu" % (min(cms), statistics.median(cms), max(cms)),
                     "", ""))
    if "BM_setup" in micro:
        real, cpu, _ = micro["BM_setup"]
        rows.append(("whole set-up", "%.1f us cpu, %.1f us real" % (cpu, real), "<= 1000 us",
                     verdict(cpu <= 1000)))
    for part in ("insertbasicdata", "selectconversations"):
        name = "BM_setup_" + part
        if name in micro:
            rows.append(("  of which %s" % part, "%.1f us cpu" % micro[name][1], "", ""))
    for k in (4, 9, 18):
        floor = micro.get("BM_floorframe/k:%d" % k)
        if not floor:
            continue
        rows.append(("k = %d: floor frame: clear + stretch (headless)" % k,
                     "%.1f us cpu, %.1f us real" % (floor[1], floor[0]), "", ""))
        for name in sorted(n for n in micro if n.startswith("BM_gameframe/")
                           and n.endswith("/k:%d" % k)):
            rows.append(("k = %d: game frame %s: draw + stretch, separate runs" % (
                k, name.split("/")[1]), "%.1f us cpu = %.3f x floor (real %.3f x)" % (
                    micro[name][1], micro[name][1] / floor[1], micro[name][0] / floor[0]),
                "", ""))
        for name in sorted(n for n in micro if n.startswith("BM_gamedraw/")):
            draw = micro[name][1]
            rows.append(("k = %d: game draw %s alone; 1 + draw / floor" % (k, name.split("/")[1]),
                         "%.1f us cpu; %.3f x floor" % (draw, 1 + draw / floor[1]), "<= 1.2 x",
                         verdict(1 + draw / floor[1] <= 1.2)))
    def bykandtext(name):
        fields = dict(f.split(":") for f in name.split("/")[1:])
        return int(fields.get("k", 4)), fields.get("text", "")

    for name in sorted((n for n in micro if n.startswith("BM_frameoverfloor/")), key=bykandtext):
        b = micro[name][2]
        k, text = bykandtext(name)
        rows.append(("k = %d: game frame text:%s over floor, alternating, median frames" % (k, text),
                     "%.1f / %.1f us = %.3f x" % (b["frame_us"], b["floor_us"], b["ratio"]),
                     "<= 1.2 x", verdict(b["ratio"] <= 1.2)))
    music = micro.get("BM_musicsecond")
    if music:
        share = music[1] / 1e6 * 100
        rows.append(("music: one second at 11025 Hz mono", "%.2f ms cpu = %.3f %% of a core" % (
            music[1] / 1e3, share), "<= 0.5 %", verdict(share <= 0.5)))
    else:
        rows.append(("music: one second at 11025 Hz mono", "not measured (no xm/bg.xm)", "", ""))

    first = keyvalues(os.path.join(out, "firstframe.txt"))
    if first.get("launch_to_first_frame_ms"):
        v = first["launch_to_first_frame_ms"]
        m = statistics.median(v)
        rows.append(("start to first frame, %d launches (min %.1f, max %.1f)" % (len(v), min(v), max(v)),
                     "%.1f ms" % m, "<= 200 ms", verdict(m <= 200)))
    realloop(rows, out, "", "640x480", 0)
    realloop(rows, out, "-1920x1080", "1920x1080", 60)
    realloop(rows, out, "-3840x2160", "3840x2160", 30)
    rss = keyvalues(os.path.join(out, "game-rss.txt"))
    if rss.get("peak_rss_kib"):
        kib = rss["peak_rss_kib"][0]
        rows.append(("peak resident memory of the game", "%.1f MiB" % (kib / 1024), "<= 24 MiB",
                     verdict(kib <= 24 * 1024)))

    width = max(len(r[0]) for r in rows)
    for r in rows:
        print("  %-*s  %-32s %-14s %s" % (width, r[0], r[1], r[2], r[3]))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "build/benchresults")
