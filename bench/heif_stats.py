#!/usr/bin/python3
"""Helper of bench/heif.sh: the batch list, the output checks and the final tables. Debian's
python3 with python3-pil (for the JPEG outputs; Debian's Pillow reads no HEIF); nothing else
beyond the standard library and bench/engine_stats.py.

  heif_stats.py list INFO                     prints the batch (heif_floor --info lines) and
                                              checks that it is fit for the benchmark
  heif_stats.py check-outputs WHAT DIR INFO OUTPUTS [--strict]
                                              one JPEG per photo in DIR, within 800x600; with
                                              --strict also baseline and turned as the photo is
                                              shown; appends what it saw to OUTPUTS
  heif_stats.py report TIMES USAGE THREADS OUTPUTS INFO ROUNDS NPROC MAGICK_NOTE
                                              the final tables
"""
import os
import statistics
import sys

from PIL import Image, JpegImagePlugin

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
# The same box as bench/engine.sh, and the same wall times file.
from engine_stats import MAX_W, MAX_H, fit, read_times  # noqa: E402

# Relative margin of the targets over what they are measured against.
TARGET = 1.10


def read_info(path):
    """Rows of heif_floor --info: name, brand, stored (w, h), shown (w, h), bits, colour,
    bytes."""
    rows = []
    with open(path) as f:
        for line in f:
            p, brand, stored, shown, bits, colour, size = line.rstrip("\n").split("\t")
            rows.append({
                "path": p,
                "name": os.path.basename(p),
                "stem": os.path.splitext(os.path.basename(p))[0],
                "brand": brand,
                "stored": tuple(int(v) for v in stored.split("x")),
                "shown": tuple(int(v) for v in shown.split("x")),
                "bits": int(bits),
                "colour": colour,
                "bytes": int(size),
            })
    return rows


def turned(row):
    return row["stored"] != row["shown"]


def cmd_list(info):
    rows = read_info(info)
    width = max(len(r["name"]) for r in rows)
    print(f"{'photo':<{width}}  {'kind':<4}  {'shown':>9}  {'MP':>5}  {'bits':>4}  "
          f"{'colour':<10}  {'KiB':>6}  stored")
    for r in rows:
        w, h = r["shown"]
        stored = f"turned, stored {r['stored'][0]}x{r['stored'][1]}" if turned(r) else "as shown"
        print(f"{r['name']:<{width}}  {r['brand']:<4}  {f'{w}x{h}':>9}  {w * h / 1e6:5.1f}  "
              f"{r['bits']:>4}  {r['colour']:<10}  {r['bytes'] / 1024:6.0f}  {stored}")
    total = sum(r["shown"][0] * r["shown"][1] for r in rows) / 1e6
    print(f"{len(rows)} photos, {total:.1f} megapixels in all")
    problems = []
    if len(rows) < 8:
        problems.append("fewer than 8 photos")
    if total < 60:
        problems.append("less than 60 megapixels in all")
    for brand in ("heic", "avif"):
        if not any(r["brand"] == brand for r in rows):
            problems.append(f"no {brand} photo")
    if not any(turned(r) for r in rows):
        problems.append("no photo turned by the file's own rotation")
    if not any(r["colour"].startswith("icc") for r in rows):
        problems.append("no photo with an ICC profile")
    if any(r["bits"] != 8 for r in rows):
        problems.append("a photo deeper than 8 bits")
    sizes = [r["shown"] for r in rows]
    if len(set(sizes)) < len(sizes):
        problems.append("two photos of the same size")
    if problems:
        raise SystemExit("the batch is not fit for the benchmark: " + "; ".join(problems))


def describe_output(path):
    with Image.open(path) as im:
        if im.format != "JPEG":
            raise SystemExit(f"{path}: not a JPEG but {im.format}")
        w, h = im.size
        scan = "progressive" if im.info.get("progressive") else "baseline"
        sampling = {0: "4:4:4", 1: "4:2:2", 2: "4:2:0"}.get(JpegImagePlugin.get_sampling(im), "?")
        icc = len(im.info.get("icc_profile") or b"")
    return w, h, scan, sampling, icc


def cmd_check_outputs(what, folder, info, outputs, strict):
    rows = read_info(info)
    names = sorted(n for n in os.listdir(folder) if n.lower().endswith(".jpg"))
    # Each output belongs to the photo with the longest name it starts with.
    owner = {}
    for n in names:
        stems = [r["stem"] for r in rows if n.startswith(r["stem"])]
        if not stems:
            raise SystemExit(f"{folder}/{n}: named after none of the photos")
        owner.setdefault(max(stems, key=len), []).append(n)
    with open(outputs, "a") as out:
        for r in rows:
            made = owner.get(r["stem"], [])
            if len(made) != 1:
                raise SystemExit(f"{what}: {len(made)} outputs for {r['name']}")
            w, h, scan, sampling, icc = describe_output(os.path.join(folder, made[0]))
            if w > MAX_W or h > MAX_H:
                raise SystemExit(f"{what}: {made[0]} is {w}x{h}, beyond {MAX_W}x{MAX_H}")
            sw, sh = r["shown"]
            upright = (w >= h) == (sw >= sh)
            if strict and not upright:
                raise SystemExit(f"{what}: {made[0]} is {w}x{h}, the photo is shown {sw}x{sh}")
            if strict and scan != "baseline":
                raise SystemExit(f"{what}: {made[0]} is progressive, the profile asks for baseline")
            out.write(f"{what}\t{r['name']}\t{w}x{h}\t{scan}\t{sampling}\t{icc}\t"
                      f"{'yes' if upright else 'no'}\n")


def median(values):
    return statistics.median(values) if values else float("nan")


def cmd_report(times_path, usage_path, threads_path, outputs_path, info, rounds, nproc,
               magick_note):
    cores = int(nproc)
    rows = read_info(info)
    # Wall times; the floor of a round is the sum of its per-photo times.
    walls = {}
    per_round_floor = {}
    for rnd, key, seconds in read_times(times_path):
        walls.setdefault(key, []).append(seconds)
        if key.startswith("floor:"):
            per_round_floor[rnd] = per_round_floor.get(rnd, 0.0) + seconds
    walls["floor"] = list(per_round_floor.values())
    # GNU time: user and sys seconds and peak resident KiB per process; the floor and
    # ImageMagick run one process per photo, their CPU times summed per round, their memory the
    # highest.
    user, system, rss, faults = {}, {}, {}, {}
    per_round = {}
    with open(usage_path) as u:
        for line in u:
            rnd, key, us, ss, kib, minor = line.rstrip("\n").split("\t")
            kind = key.split(":")[0]
            group = kind if kind in ("floor", "magick") else key
            rss[group] = max(rss.get(group, 0), int(kib))
            rss[key] = max(rss.get(key, 0), int(kib))
            totals = per_round.setdefault(group, {}).setdefault(rnd, [0.0, 0.0, 0])
            totals[0] += float(us)
            totals[1] += float(ss)
            totals[2] += int(minor)
    for group, by_round in per_round.items():
        user[group] = [t[0] for t in by_round.values()]
        system[group] = [t[1] for t in by_round.values()]
        faults[group] = [t[2] for t in by_round.values()]
    cpu = {k: [a + b for a, b in zip(user[k], system[k])] for k in user}
    most_threads = {}
    with open(threads_path) as t:
        for line in t:
            key, n = line.rstrip("\n").split("\t")
            group = key.split(":")[0]
            most_threads[group] = max(most_threads.get(group, 0), int(n))

    floor = median(walls["floor"])
    contestants = [
        ("floor", "heif_floor (libheif), one process per photo, summed"),
        ("floor_par", f"the same, {cores} processes at a time (xargs -P)"),
        ("lumvale", "lumvale -p:Bench, all workers"),
        ("lumvale1", "lumvale -p:Bench, LUMVALE_THREADS=1"),
        ("vips", "vipsthumbnail --size 800x600, Q=90, 4:2:0"),
        ("magick", "ImageMagick convert per photo, 800x600>, q90, 4:2:0"),
    ]
    print(f"median of {rounds} interleaved rounds, wall time; cores (nproc): {cores}")
    print(f"{'what':<52}  {'median s':>8}  {'min s':>6}  {'x floor':>7}  {'user s':>6}  "
          f"{'sys s':>5}  {'CPU/wall':>8}  {'peak RSS':>9}  {'threads':>7}")
    for key, label in contestants:
        if key not in walls:
            continue
        med = median(walls[key])
        c = median(cpu.get(key, []))
        mem = f"{rss[key] / 1024:5.0f} MiB" if key in rss else ""
        print(f"{label:<52}  {med:8.3f}  {min(walls[key]):6.3f}  {med / floor:7.2f}  "
              f"{median(user.get(key, [])):6.2f}  {median(system.get(key, [])):5.2f}  "
              f"{c / med:8.2f}  {mem:>9}  {'' if key == 'floor_par' else most_threads.get(key, ''):>7}")
    print("user s, sys s: CPU seconds (GNU time), medians; CPU/wall: (user + sys) / wall; peak "
          "RSS: the highest of the rounds (for the floor and ImageMagick, of any one process); "
          "threads: the most seen at once in the check round, sampled every few ms")
    if magick_note:
        print(magick_note)

    # Per photo: the floor and the program alone, both whole processes.
    print()
    width = max(len(r["name"]) for r in rows)
    print(f"{'photo alone':<{width}}  {'MP':>5}  {'floor ms':>8}  {'lumvale ms':>10}  "
          f"{'extra ms':>8}  {'x floor':>7}  {'peak RSS':>9}")
    alone = {}
    for r in rows:
        mp = r["shown"][0] * r["shown"][1] / 1e6
        f = median(walls["floor:" + r["name"]])
        a = alone[r["name"]] = median(walls["alone:" + r["name"]])
        mem = rss.get("alone:" + r["name"], 0) / 1024
        print(f"{r['name']:<{width}}  {mp:5.1f}  {f * 1000:8.0f}  {a * 1000:10.0f}  "
              f"{(a - f) * 1000:8.0f}  {a / f:7.2f}  {mem:5.0f} MiB")

    # The schedule bound of per-photo parallelism.
    one = median(walls["lumvale1"])
    workers = median(walls["lumvale"])
    slowest = max(alone, key=alone.get)
    bound = max(alone[slowest], one / cores)
    print()
    print(f"schedule bound = max(slowest photo alone {alone[slowest] * 1000:.0f} ms ({slowest}), "
          f"one thread / cores {one * 1000:.0f} / {cores} = {one / cores * 1000:.0f} ms) = "
          f"{bound * 1000:.0f} ms; all workers {workers * 1000:.0f} ms = {workers / bound:.2f} x")

    if "floor_par" in walls:
        par = median(walls["floor_par"])
        print(f"the floor with {cores} processes at a time: {par * 1000:.0f} ms, {floor / par:.2f} x "
              f"the speed of one at a time; all workers take {workers / par:.2f} x its time")

    print()
    print(f"targets ({cores} cores):")
    verdict = lambda ok: "met" if ok else "MISSED"
    print(f"  one thread <= {TARGET:.2f} x floor: {one / floor:.3f} x  -> "
          f"{verdict(one <= TARGET * floor)}")
    print(f"  all workers <= {TARGET:.2f} x schedule bound: {workers / bound:.3f} x  -> "
          f"{verdict(workers <= TARGET * bound)}")
    if "vips" in walls:
        vips = median(walls["vips"])
        print(f"  faster than vipsthumbnail: {workers * 1000:.0f} ms against {vips * 1000:.0f} ms "
              f"= {workers / vips:.3f} x  -> {verdict(workers < vips)}")
    u1, uf = median(user["lumvale1"]), median(user["floor"])
    print(f"  user time alone: one thread {u1:.2f} s, floor {uf:.2f} s = {u1 / uf:.3f} x; the "
          f"floor's sys time is {median(system['floor']):.2f} s against the program's "
          f"{median(system['lumvale1']):.2f} s: fresh memory in each of its processes, "
          f"{median(faults['floor']):.0f} minor page faults against {median(faults['lumvale1']):.0f}")

    c1, cw, cf = median(cpu["lumvale1"]), median(cpu["lumvale"]), median(cpu["floor"])
    print()
    print(f"CPU time (user + sys): one thread {c1:.2f} s in {one:.2f} s ({c1 / one:.2f} cores "
          f"busy), all workers {cw:.2f} s in {workers:.2f} s ({cw / workers:.2f} cores busy): "
          f"{(cw / c1 - 1) * 100:+.0f} % with all workers; floor {cf:.2f} s in {floor:.2f} s, of "
          f"which sys {median(system['floor']):.2f} s (one thread: "
          f"{median(system['lumvale1']):.2f} s)")
    print(f"most threads at once: the program with one thread {most_threads.get('lumvale1', '?')}, "
          f"with all workers {most_threads.get('lumvale', '?')}; the floor "
          f"{most_threads.get('floor', '?')} (one process per photo)")

    # What each contestant wrote, against the program's output.
    seen = {}
    with open(outputs_path) as o:
        for line in o:
            what, name, size, scan, sampling, icc, upright = line.rstrip("\n").split("\t")
            seen.setdefault(name, {})[what] = (size, scan, sampling, int(icc), upright)
    order = [k for k in ("lumvale", "lumvale1", "vips", "magick")
             if any(k in v for v in seen.values())]
    print()
    print("outputs (check round): size, chroma, ICC bytes; fit = the largest size within "
          f"{MAX_W}x{MAX_H} (whole pixels, rounded down)")
    print(f"{'photo':<{width}}  {'fit':>7}  " + "  ".join(f"{k:<22}" for k in order))
    notes = []
    for r in rows:
        w, h = fit(*r["shown"])
        cells = []
        for k in order:
            size, scan, sampling, icc, upright = seen[r["name"]][k]
            cells.append(f"{size} {sampling} {icc}")
            if upright != "yes":
                notes.append(f"{k} wrote {r['name']} as {size}: not turned as it is shown")
            if size != f"{w}x{h}":
                notes.append(f"{k} wrote {r['name']} as {size}, not {w}x{h}")
            if r["colour"].startswith("icc") and icc == 0:
                notes.append(f"{k} dropped the ICC profile of {r['name']}")
            if scan != "baseline":
                notes.append(f"{k} wrote {r['name']} progressive")
        print(f"{r['name']:<{width}}  {f'{w}x{h}':>7}  " + "  ".join(f"{c:<22}" for c in cells))
    for n in notes:
        print("  " + n)


def main(argv):
    if len(argv) < 2:
        raise SystemExit(__doc__)
    cmd, args = argv[1], argv[2:]
    if cmd == "list" and len(args) == 1:
        cmd_list(args[0])
    elif cmd == "check-outputs" and len(args) in (4, 5):
        cmd_check_outputs(*args[:4], strict="--strict" in args[4:])
    elif cmd == "report" and len(args) == 8:
        cmd_report(*args)
    else:
        raise SystemExit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
