"""Prints the numbers of the benchmarks scripts/bench runs under Wine, from
the stand-in player's and the stand-in encoder's logs in the folder given."""
import re
import statistics
import sys
from pathlib import Path

work = Path(sys.argv[1])


def host_lines(name):
    return (work / name).read_bytes().decode("latin-1").splitlines()


def field(lines, event, key):
    """The last value of key=... on a line whose event is `event`."""
    found = None
    for line in lines:
        parts = line.split(" ", 2)
        if len(parts) == 3 and parts[1] == event:
            m = re.search(r"\b" + key + r"=([0-9.]+)", parts[2])
            if m:
                found = float(m.group(1))
    return found


def quit_seconds(lines):
    at = {}
    for line in lines:
        m = re.match(r"(\d+) quit gen_tavrik\.dll (called|returned)", line)
        if m:
            at[m.group(2)] = int(m.group(1))
    return (at["returned"] - at["called"]) / 1000 if len(at) == 2 else None


def encoder_log(name):
    return (work / name).read_text(encoding="latin-1").splitlines()


def completions(lines):
    """When the encoder had handled each delivery's last message (c6 up)."""
    done, previous = [], ""
    for line in lines:
        if line.startswith("done ") and previous.startswith("c6 0202"):
            done.append(float(line.split()[1]))
        previous = line
    return done


def latencies(begins, done):
    """Per change, from its retitle to the end of the first delivery after it,
    provided that came before the next change began."""
    result = []
    for i, begin in enumerate(begins):
        end = begins[i + 1] if i + 1 < len(begins) else begin + 10e6
        after = [d for d in done if begin <= d < end]
        if after:
            result.append(after[0] - begin)
    return result


def begins(lines, event):
    """When each change of a latency run began, in the encoder's clock."""
    found = []
    for line in lines:
        m = re.search(event + r" change=\d+ begin_us=(\d+)", line)
        if m:
            found.append(float(m.group(1)))
    return found


def percentile(values, share):
    values = sorted(values)
    return values[int(share * (len(values) - 1))]


def verdict(ok):
    return "met" if ok else "MISSED"


# The cover run alone (./scripts/bench cover) has none of these logs.
if (work / "plain.log").exists():
    plain = host_lines("plain.log")
    runs = [("prompt encoder", "prompt"), ("200 ms-per-message encoder", "slow"), ("hung encoder", "hung")]
    base_median = field(plain, "bench-tracks", "median_us")
    base_p95 = field(plain, "bench-tracks", "p95_us")
    changes = int(field(plain, "bench-tracks", "changes"))

    plain_same = field(plain, "bench", "mean_us")
    hooked_same = field(host_lines("prompt.log"), "bench", "mean_us")
    ratio = hooked_same / plain_same
    print(f"retitle without a track change: {plain_same:.1f} us without the plug-in, {hooked_same:.1f} us "
          f"with it: {ratio:.2f}x (target <= 4x: {verdict(ratio <= 4)})")

    print(f"retitle at a track change, {changes} changes back to back, median / 95th percentile:")
    print(f"  {'without the plug-in':28} {base_median / 1000:8.2f} / {base_p95 / 1000:8.2f} ms")
    for label, name in runs:
        lines = host_lines(f"{name}.log")
        median, p95 = field(lines, "bench-tracks", "median_us"), field(lines, "bench-tracks", "p95_us")
        slowest = field(lines, "bench-tracks", "max_us")
        if median is None:
            print(f"  {label:28} no result (the player did not finish)")
            continue
        worst = max(median / base_median, p95 / base_p95)
        delivered = sum(1 for l in encoder_log(f"{name}-player.log") if l.startswith("c5 000c"))
        quit = quit_seconds(lines)
        quit_text = f"{quit:.2f} s" if quit is not None else "?"
        print(f"  {label:28} {median / 1000:8.2f} / {p95 / 1000:8.2f} ms = {median / base_median:.1f}x / "
              f"{p95 / base_p95:.1f}x (goal <= 10x: {verdict(worst <= 10)}); "
              f"slowest {slowest / 1000:.0f} ms; texts set: {delivered}; quit took {quit_text}")

    requests = host_lines("requests.log")
    floor_median = field(requests, "bench-tracks", "median_us")
    floor_p95 = field(requests, "bench-tracks", "p95_us")
    print(f"retitle at a track change against a plug-in that only asks its two requests, median / 95th percentile:")
    print(f"  {'only the two requests':28} {floor_median / 1000:8.2f} / {floor_p95 / 1000:8.2f} ms "
          f"({floor_median / base_median:.1f}x / {floor_p95 / base_p95:.1f}x the player without a plug-in)")
    for label, name in [("prompt tag library", "prompt"), ("500 ms a tag load", "slowload")]:
        lines = host_lines(f"{name}.log")
        median, p95 = field(lines, "bench-tracks", "median_us"), field(lines, "bench-tracks", "p95_us")
        if median is None:
            print(f"  {label:28} no result (the player did not finish)")
            continue
        ok = median <= 1.5 * floor_median and p95 <= 3 * floor_p95
        print(f"  {label:28} {median / 1000:8.2f} / {p95 / 1000:8.2f} ms = {median / floor_median:.2f}x / "
              f"{p95 / floor_p95:.2f}x the requests (goal <= 1.5x / 3x: {verdict(ok)}); "
              f"{median / base_median:.1f}x / {p95 / base_p95:.1f}x without a plug-in")

    done = completions(encoder_log("prompt-encoder.log"))
    plugin = latencies(begins(host_lines("prompt.log"), "bench-latency"), done)
    floor = latencies(begins((work / "floor.log").read_text().splitlines(), "floor"), done)
    if plugin and floor:
        pm, pp = statistics.median(plugin), percentile(plugin, 0.95)
        fm, fp = statistics.median(floor), percentile(floor, 0.95)
        share = max(pm / fm, pp / fp)
        print(f"retitle to the encoder's last action, prompt encoder, changes 100 ms apart, median / 95th percentile:")
        print(f"  {'the plug-in':28} {pm / 1000:8.2f} / {pp / 1000:8.2f} ms ({len(plugin)} deliveries; "
              f"target p95 < 5 ms: {verdict(pp < 5000)})")
        print(f"  {'floor: a bare program':28} {fm / 1000:8.2f} / {fp / 1000:8.2f} ms ({len(floor)} deliveries of "
              f"the same text, window search and five messages)")
        print(f"  {'ratio':28} {pm / fm:8.2f} / {pp / fp:8.2f} x (goal <= 1.5x: {verdict(share <= 1.5)})")
    else:
        print("retitle to the encoder's last action: no deliveries matched")


def watched(name):
    """(us, text) for each new text the client saw a source show."""
    seen = []
    path = work / name
    if not path.exists():
        return seen
    for line in path.read_text().splitlines():
        parts = line.split(" ", 1)
        seen.append((float(parts[0]), parts[1] if len(parts) > 1 else ""))
    return seen


def pictures():
    """The text (in hex) each picture of the source reading the file shows."""
    path = work / "obs-file.pictures"
    if not path.exists():
        return {}
    return {hash_: text for text, hash_ in (line.split(" ", 1) for line in path.read_text().splitlines())}


def shown_latencies(begins, direct, shown):
    """Per change, from its retitle until `shown` shows its text or a newer
    change's, and how many changes' texts it never showed: OBS polling a
    file can skip a text that lasts less than its polling period. A text
    shown is taken for the latest change that set it."""
    sets = []
    for i, begin in enumerate(begins):
        end = begins[i + 1] if i + 1 < len(begins) else begin + 10e6
        sets.append(next((text for t, text in direct if begin <= t < end), None))
    showings = []
    for t, text in shown:
        changes = [j for j, begin in enumerate(begins) if begin <= t and sets[j] == text]
        if changes:
            showings.append((t, changes[-1]))
    result = []
    for i, begin in enumerate(begins):
        caught = next((t for t, change in showings if change >= i), None)
        if sets[i] is not None and caught is not None:
            result.append(caught - begin)
    never = sum(1 for i in range(len(begins)) if all(change != i for _, change in showings))
    return result, never


obs_begins = begins(host_lines("obs.log"), "bench-latency") if (work / "obs.log").exists() else []
if obs_begins:
    print(f"retitle until OBS shows the new text, {len(obs_begins)} changes 1.5 s apart, median / 95th percentile:")
    direct = watched("obs-direct.watch")
    texts_of = pictures()
    from_file = [(t, texts_of.get(seen)) for t, seen in watched("obs-file.watch")]
    for label, shown, goal in [("set over OBS's WebSocket", direct, 50),
                               ("OBS reading the caption file", from_file, None)]:
        lat, never = shown_latencies(obs_begins, direct, shown)
        if not lat:
            print(f"  {label:28} no text seen")
            continue
        m, p = statistics.median(lat), percentile(lat, 0.95)
        verdict_text = f"; goal median <= {goal} ms: {verdict(m <= goal * 1000)}" if goal else ""
        print(f"  {label:28} {m / 1000:8.1f} / {p / 1000:8.1f} ms until it shows that text or a newer one "
              f"({never} of {len(obs_begins)} texts never shown{verdict_text})")


def page_texts(name):
    """(us, text) for each line the page's watcher wrote."""
    path = work / name
    if not path.exists():
        return []
    seen = []
    for line in path.read_text().splitlines():
        parts = line.split(" ")
        if len(parts) == 4:
            seen.append((float(parts[0]), parts[3]))
    return seen


overlay_begins = begins(host_lines("overlay.log"), "bench-latency") if (work / "overlay.log").exists() else []
if overlay_begins:
    page = page_texts("overlay.watch")
    lat = []
    for i, begin in enumerate(overlay_begins):
        end = overlay_begins[i + 1] if i + 1 < len(overlay_begins) else begin + 10e6
        before = [text for t, text in page if t < begin]
        shown = next((t for t, text in page if begin <= t < end and (not before or text != before[-1])), None)
        if shown is not None:
            lat.append(shown - begin)
    print(f"retitle until the overlay page in Chromium shows the new text, {len(overlay_begins)} changes 300 ms apart, "
          f"median / 95th percentile:")
    if lat:
        m, p = statistics.median(lat), percentile(lat, 0.95)
        print(f"  {'Server-Sent Events':28} {m / 1000:8.1f} / {p / 1000:8.1f} ms ({len(lat)} of {len(overlay_begins)} "
              f"shown; goal median <= 50 ms: {verdict(m <= 50000)})")
    else:
        print(f"  {'Server-Sent Events':28} no text seen")
cover_begins = begins(host_lines("cover.log"), "bench-latency") if (work / "cover.log").exists() else []
if cover_begins and (work / "cover.pictures").exists():
    hash_of = dict(line.split(" ", 1) for line in (work / "cover.pictures").read_text().splitlines())
    order = [hash_of.get(path) for path in (work / "cover.order").read_text().split()]
    print(f"retitle until OBS's image source shows the new cover, {len(cover_begins)} changes 1.5 s apart, "
          f"median / 95th percentile:")
    for label, name, goal in [("told over OBS's WebSocket", "cover-told.watch", 100),
                              ("OBS looking at the file", "cover-polled.watch", None)]:
        seen = watched(name)
        lat = []
        for i, begin in enumerate(cover_begins):
            end = cover_begins[i + 1] if i + 1 < len(cover_begins) else begin + 10e6
            shown = next((t for t, picture in seen if begin <= t < end and picture == order[i % len(order)]), None)
            if shown is not None:
                lat.append(shown - begin)
        if not lat:
            print(f"  {label:28} no picture seen")
            continue
        m, p = statistics.median(lat), percentile(lat, 0.95)
        verdict_text = f"; goal median <= {goal} ms: {verdict(m <= goal * 1000)}" if goal else ""
        print(f"  {label:28} {m / 1000:8.1f} / {p / 1000:8.1f} ms ({len(lat)} of {len(cover_begins)} shown"
              f"{verdict_text})")
sizes = [work / "dll-size", work / "dll-size-no-overlay"]
if all(p.exists() for p in sizes):
    with_server, without = (int(p.read_text()) for p in sizes)
    print(f"gen_tavrik.dll: {with_server / 1024:.0f} KiB with the overlay page's server, {without / 1024:.0f} KiB "
          f"without it (+{(with_server - without) / 1024:.0f} KiB)")
