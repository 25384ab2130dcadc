#!/usr/bin/python3
"""Helper of bench/engine.sh: the photo list, the output checks, the Pillow contestant and the
final table. Debian's python3 with python3-pil; nothing else beyond the standard library.

  engine_stats.py list [--any] FILE...           prints the batch and (without --any) checks that
                                                 it is mixed enough
  engine_stats.py closest MP FILE...             prints the file closest to MP megapixels
  engine_stats.py gray FILE...                   prints the grayscale ones, one per line
  engine_stats.py variants FILE OUTDIR           FILE with EXIF orientation 6, and with an sRGB
                                                 colour profile, as OUTDIR/<name>-o6.jpg, -icc.jpg
  engine_stats.py check-outputs DIR N [--baseline]  N JPEGs in DIR, each within 800x600
  engine_stats.py pillow OUTDIR FILE...          the Pillow contestant (see cmd_pillow)
  engine_stats.py report TIMES MEMORY ROUNDS NPROC SINGLE_NAME BATCHES   the final tables
"""
import os
import statistics
import sys

from PIL import Image

MAX_W, MAX_H = 800, 600


def describe(path):
    """(width, height, megapixels, 'progressive'|'baseline', 'gray'|'colour') of a JPEG."""
    with Image.open(path) as im:
        if im.format != "JPEG":
            raise SystemExit(f"{path}: not a JPEG but {im.format}")
        w, h = im.size
        # Pillow sets 'progressive' (and 'progression') for a progressive SOF2 frame.
        scan = "progressive" if im.info.get("progressive") else "baseline"
        tone = "gray" if im.mode == "L" else "colour"
    return w, h, w * h / 1e6, scan, tone


def cmd_list(files, check=True):
    rows = [(os.path.basename(f),) + describe(f) for f in files]
    width = max(len(r[0]) for r in rows)
    print(f"{'photo':<{width}}  {'size':>11}  {'MP':>5}  {'scan':<11}  tone")
    for name, w, h, mp, scan, tone in rows:
        print(f"{name:<{width}}  {f'{w}x{h}':>11}  {mp:5.1f}  {scan:<11}  {tone}")
    total = sum(r[3] for r in rows)
    print(f"{len(rows)} photos, {total:.1f} megapixels in all")
    if not check:
        return
    # The batch must show per-photo costs of every kind the program meets.
    problems = []
    if len(rows) < 8:
        problems.append("fewer than 8 photos")
    if total < 60:
        problems.append("less than 60 megapixels in all")
    if max(r[3] for r in rows) < 20:
        problems.append("no photo of 20 megapixels or more")
    for kind in ("baseline", "progressive"):
        if not any(r[4] == kind for r in rows):
            problems.append(f"no {kind} photo")
    for kind in ("colour", "gray"):
        if not any(r[5] == kind for r in rows):
            problems.append(f"no {kind} photo")
    # Identical copies would hide per-photo costs: every photo has a size of its own.
    sizes = [(r[1], r[2]) for r in rows]
    if len(set(sizes)) < len(sizes):
        problems.append("two photos of the same size")
    if problems:
        raise SystemExit("the batch is not fit for the benchmark: " + "; ".join(problems))


def cmd_closest(mp, files):
    target = float(mp)
    print(min(files, key=lambda f: abs(describe(f)[2] - target)))


def cmd_gray(files):
    for f in files:
        if describe(f)[4] == "gray":
            print(f)


def cmd_variants(path, outdir):
    # The same compressed picture with one marker more right after the start marker: an EXIF
    # block whose only tag is the orientation 6 (a phone's portrait photo), or Little CMS's
    # sRGB profile (through Pillow's ImageCms) as an APP2 "ICC_PROFILE" marker.
    from PIL import ImageCms

    with open(path, "rb") as f:
        jpeg = f.read()
    tiff = (b"II*\x00\x08\x00\x00\x00\x01\x00"
            b"\x12\x01\x03\x00\x01\x00\x00\x00\x06\x00\x00\x00\x00\x00\x00\x00")
    icc = ImageCms.ImageCmsProfile(ImageCms.createProfile("sRGB")).tobytes()
    variants = {
        "o6": (0xE1, b"Exif\x00\x00" + tiff),
        "icc": (0xE2, b"ICC_PROFILE\x00\x01\x01" + icc),
    }
    base = os.path.splitext(os.path.basename(path))[0]
    os.makedirs(outdir, exist_ok=True)
    for suffix, (marker, payload) in variants.items():
        segment = bytes([0xFF, marker]) + (len(payload) + 2).to_bytes(2, "big") + payload
        with open(os.path.join(outdir, f"{base}-{suffix}.jpg"), "wb") as f:
            f.write(jpeg[:2] + segment + jpeg[2:])
        print(os.path.join(outdir, f"{base}-{suffix}.jpg"))


def cmd_check_outputs(folder, count, baseline):
    names = sorted(n for n in os.listdir(folder) if n.lower().endswith(".jpg"))
    if len(names) != int(count):
        raise SystemExit(f"{folder}: {len(names)} outputs for {count} inputs")
    for n in names:
        w, h, _, scan, _ = describe(os.path.join(folder, n))
        if w > MAX_W or h > MAX_H:
            raise SystemExit(f"{folder}/{n}: {w}x{h} does not fit {MAX_W}x{MAX_H}")
        if baseline and scan != "baseline":
            raise SystemExit(f"{folder}/{n}: progressive, the profile asks for baseline")


def fit(w, h):
    """The largest size within 800x600 that keeps the photo's width-to-height ratio, never
    enlarged (whole pixels, rounded down, as the program's TargetSize does)."""
    tw, th = w, h
    if MAX_W < w:
        tw, th = MAX_W, h * MAX_W // w
    if MAX_H < th:
        tw, th = w * MAX_H // h, MAX_H
    return max(tw, 1), max(th, 1)


def cmd_pillow(outdir, files):
    """For each file: Image.open, full decode (no draft(), so no reduced-scale DCT decoding),
    resize to fit 800x600 with Image.LANCZOS in the photo's own mode (RGB or L), save as a
    baseline JPEG at quality 90 with Pillow's defaults (4:2:0 chroma, no optimize)."""
    for f in files:
        with Image.open(f) as im:
            small = im.resize(fit(*im.size), Image.LANCZOS)
        name = os.path.splitext(os.path.basename(f))[0] + "_pil.jpg"
        small.save(os.path.join(outdir, name), "JPEG", quality=90)


def read_times(path):
    """(round, what, seconds) of each line of the wall times bench/common.sh's record writes:
    round, what, start, end as bash's $EPOCHREALTIME, whose decimal mark follows the locale."""
    with open(path) as t:
        for line in t:
            rnd, key, start, end = line.rstrip("\n").split("\t")
            yield rnd, key, float(end.replace(",", ".")) - float(start.replace(",", "."))


def cmd_report(times_path, memory_path, rounds, nproc, single_name, batches_path):
    # The floor of a round is the sum of its per-photo djpeg times; the second floor takes a
    # grayscale photo's quantized decode ("floorq:") in place of its plain one.
    times = {}
    per_round = {"floor": {}, "floorq": {}}
    quantized = set()
    for rnd, key, seconds in read_times(times_path):
        times.setdefault(key, []).append(seconds)
        kind, _, name = key.partition(":")
        if kind in per_round:
            per_round[kind].setdefault(rnd, {})[name] = seconds
            if kind == "floorq":
                quantized.add(name)
    times["floor"] = [sum(p.values()) for p in per_round["floor"].values()]
    times["floorq"] = [
        sum(per_round["floorq"].get(rnd, {}).get(name, s) for name, s in p.items())
        for rnd, p in per_round["floor"].items()
    ]
    memory = {}
    with open(memory_path) as m:
        for line in m:
            key, kib = line.split("\t")
            memory.setdefault(key, []).append(int(kib))

    floor = statistics.median(times["floor"])
    floorq = statistics.median(times["floorq"])
    rows = [
        ("floor", "djpeg -dct float, one process per photo, summed"),
        ("floorq", "the same, grayscale photos with -colors 236"),
        ("lumvale", "lumvale -p:Bench, all workers"),
        ("lumvale1", "lumvale -p:Bench, LUMVALE_THREADS=1"),
        ("vips", "vipsthumbnail --size 800x600, Q=90"),
        ("pillow", "Pillow, one python3, LANCZOS, q=90"),
    ]
    print(f"median of {rounds} interleaved rounds, wall time; cores (nproc): {nproc}")
    print(f"{'what':<48}  {'median s':>9}  {'min s':>7}  {'x floor':>7}  {'x floorq':>8}"
          f"  {'peak RSS':>9}")
    for key, label in rows:
        med = statistics.median(times[key])
        # /usr/bin/time -f %M gives KiB; the highest peak over the rounds, in MiB.
        rss = f"{max(memory[key]) / 1024:6.0f} MiB" if key in memory else ""
        print(f"{label:<48}  {med:9.3f}  {min(times[key]):7.3f}  {med / floor:7.2f}"
              f"  {med / floorq:8.2f}  {rss:>9}")
    print(f"floorq: a grayscale JPEG must decode as libjpeg's one-pass quantizer gives it, 236 "
          f"levels with Floyd-Steinberg dithering ({len(quantized)} photos here); djpeg -colors "
          f"236 asks libjpeg for the same")
    single = statistics.median(times["single"])
    single_floor = statistics.median(times["floor:" + single_name])
    extra = (single - single_floor) * 1000
    print(f"single photo {single_name}: lumvale {single * 1000:.0f} ms as a whole process, "
          f"its djpeg {single_floor * 1000:.0f} ms: floor + {extra:.0f} ms")
    for key, what in (("single_o6", "with EXIF orientation 6 (written turned upright)"),
                      ("single_icc", "with an sRGB colour profile (kept)")):
        if key in times:
            med = statistics.median(times[key])
            print(f"  the same photo {what}: {med * 1000:.0f} ms, "
                  f"{(med - single) * 1000:+.0f} ms")
    report_bounds(times, memory, int(nproc), batches_path)


# The budget of results prepared ahead (kLookaheadBudget in engine/Prefetcher.h), in MiB.
LOOKAHEAD_BUDGET_MIB = 64


def report_bounds(times, memory, cores, batches_path):
    """Per batch: the schedule bound of per-photo parallelism, max(slowest photo alone, one
    thread / cores), and the program with all workers against it, the batch as listed and with
    its slowest photo last. Then the memory figures."""
    ms = lambda s: f"{s * 1000:.0f} ms"
    print()
    print("schedule bound = max(slowest photo alone, one thread / cores), each a whole process")
    print(f"{'batch':<11}  {'slowest alone':>28}  {'one thread':>10}  {'bound':>7}"
          f"  {'workers, as listed':>20}  {'slowest last':>18}")
    with open(batches_path) as b:
        for line in b:
            label, listed, last, one, *paths = line.rstrip("\n").split("\t")
            alone = {os.path.basename(p): statistics.median(times["alone:" + os.path.basename(p)])
                     for p in paths}
            slowest = max(alone, key=alone.get)
            one_s = statistics.median(times[one])
            bound = max(alone[slowest], one_s / cores)
            cells = []
            for key in (listed, last):
                med = statistics.median(times[key])
                cells.append(f"{ms(med)} = {med / bound:.2f} x")
            print(f"{label:<11}  {slowest[:18] + ' ' + ms(alone[slowest]):>28}  {ms(one_s):>10}"
                  f"  {ms(bound):>7}  {cells[0]:>20}  {cells[1]:>18}")
            others = sorted(v for k, v in alone.items() if k != slowest)
            print(f"{'':<11}  the others alone {ms(others[0])} to {ms(others[-1])}; slowest / "
                  f"next {alone[slowest] / others[-1]:.1f}")
    mib = lambda key: max(memory[key]) / 1024
    baseline = []
    for key in memory:
        if key.startswith("alone:"):
            path = next((p for p in open(batches_path).read().split("\t")
                         if os.path.basename(p.strip()) == key[6:]), None)
            if path and describe(path.strip())[3] == "baseline":
                baseline.append((mib(key), key[6:], describe(path.strip())[2]))
    if baseline:
        peak, name, mp = max(baseline)
        print(f"peak resident memory alone, baseline photos: at most {peak:.0f} MiB "
              f"({name}, {mp:.1f} MP)")
    if "long" in memory and "long1" in memory:
        med = lambda key: statistics.median(memory[key]) / 1024
        print(f"100 photos, peak resident memory of 3 runs, median (highest): all workers "
              f"{med('long'):.0f} ({mib('long'):.0f}) MiB, one thread {med('long1'):.0f} "
              f"({mib('long1'):.0f}) MiB: {med('long') - med('long1'):+.0f} "
              f"({mib('long') - mib('long1'):+.0f}) MiB; budget of the results prepared ahead "
              f"{LOOKAHEAD_BUDGET_MIB} MiB, besides what each worker's own photo needs")


def main(argv):
    if len(argv) < 2:
        raise SystemExit(__doc__)
    cmd, args = argv[1], argv[2:]
    if cmd == "list":
        cmd_list([a for a in args if a != "--any"], "--any" not in args)
    elif cmd == "closest":
        cmd_closest(args[0], args[1:])
    elif cmd == "gray":
        cmd_gray(args)
    elif cmd == "variants":
        cmd_variants(args[0], args[1])
    elif cmd == "check-outputs":
        cmd_check_outputs(args[0], args[1], "--baseline" in args[2:])
    elif cmd == "pillow":
        cmd_pillow(args[0], args[1:])
    elif cmd == "report":
        cmd_report(*args)
    else:
        raise SystemExit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
