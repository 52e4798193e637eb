#!/usr/bin/env python3
"""Writes kvx-device.svg, the picture of the KVX keyboard seen from above, from hot-areas.json.

Every controller is drawn inside its hot rectangle (the area the user clicks), as one group whose
id is the controller's descriptor. The controls use only rect, circle, line and polygon elements
without transforms, so scripts/check_device_svg.py can measure them. The picture is plain SVG
that Qt's SVG renderer draws: gradients and presentation attributes only, no filters or CSS.

Usage: generate_device_svg.py [output.svg]   (default: kvx-device.svg beside this script)
"""

import json
import math
import sys
from pathlib import Path

HERE = Path(__file__).resolve().parent
WIDTH, HEIGHT = 712, 206
CHEEK = 11  # width of the end pieces left and right of the top panel
FONT = 'font-family="DejaVu Sans" '
LABEL_FILL = "#a9afb7"

# Resting positions that make the picture look like a device in use, one per control.
KNOB_ANGLES = [-120, -45, 0, 60, 135, -90, 30, 100, -10]       # degrees clockwise from 12 o'clock
FADER_LEVELS = [0.25, 0.55, 0.8, 0.4, 0.65, 0.3, 0.9, 0.5, 0.7]  # 0 bottom, 1 top
MINI_FADER_LEVELS = [0.3, 0.7]
LIT_LEDS = {"B2", "B7", "C1"}


def num(v):
    """Shortest decimal text of a coordinate."""
    text = f"{v:.2f}".rstrip("0").rstrip(".")
    return "0" if text in ("-0", "") else text


def attrs(**kw):
    parts = []
    for key, value in kw.items():
        if value is None:
            continue
        name = key.rstrip("_").replace("_", "-")
        parts.append(f'{name}="{num(value) if isinstance(value, (int, float)) else value}"')
    return " ".join(parts)


def rect(x, y, w, h, **kw):
    return f"<rect {attrs(x=x, y=y, width=w, height=h, **kw)}/>"


def circle(cx, cy, r, **kw):
    return f"<circle {attrs(cx=cx, cy=cy, r=r, **kw)}/>"


def line(x1, y1, x2, y2, **kw):
    return f"<line {attrs(x1=x1, y1=y1, x2=x2, y2=y2, **kw)}/>"


def polygon(points, **kw):
    pts = " ".join(f"{num(x)},{num(y)}" for x, y in points)
    return f'<polygon points="{pts}" {attrs(**kw)}/>'


def text(x, y, content, size=7, anchor="middle", fill=LABEL_FILL, weight=None):
    return (f'<text {attrs(x=x, y=y)} {FONT}{attrs(font_size=size, font_weight=weight)} '
            f'text-anchor="{anchor}" fill="{fill}">{content}</text>')


def group(gid, items, indent="  "):
    body = "\n".join(f"{indent}  {item}" for item in items)
    return f'{indent}<g id="{gid}">\n{body}\n{indent}</g>'


def linear(gid, stops, x2=0, y2=1, x1=0, y1=0):
    body = "".join(f'<stop offset="{o}" stop-color="{c}"/>' for o, c in stops)
    return (f'<linearGradient id="{gid}" x1="{x1}" y1="{y1}" x2="{x2}" y2="{y2}">'
            f"{body}</linearGradient>")


def radial(gid, stops, cx=0.5, cy=0.5, r=0.5, fx=None, fy=None):
    focus = f' fx="{fx}" fy="{fy}"' if fx is not None else ""
    body = "".join(f'<stop offset="{o}" stop-color="{c}"/>' for o, c in stops)
    return (f'<radialGradient id="{gid}" cx="{cx}" cy="{cy}" r="{r}"{focus}>'
            f"{body}</radialGradient>")


DEFS = [
    linear("body", [(0, "#3a3e44"), (0.12, "#2c2f34"), (1, "#1d1f22")]),
    linear("cheek", [(0, "#0e0f10"), (0.45, "#2a2c30"), (1, "#121315")], x2=1, y2=0),
    linear("panel", [(0, "#1b1d20"), (1, "#24272b")]),
    radial("skirt", [(0, "#2e3135"), (0.8, "#1d1f22"), (1, "#0f1012")]),
    radial("knobcap", [(0, "#80858d"), (0.55, "#4a4e55"), (1, "#2b2e33")], fx=0.35, fy=0.3),
    linear("pad", [(0, "#50545b"), (1, "#383b40")]),
    linear("button", [(0, "#9a9fa7"), (0.15, "#80858d"), (1, "#5e6268")]),
    linear("darkbutton", [(0, "#6a6e75"), (0.15, "#55595f"), (1, "#3c3f44")]),
    linear("fadercap", [(0, "#b5bac1"), (0.45, "#7d828a"), (0.55, "#6a6e75"), (1, "#9fa4ab")]),
    linear("wheel", [(0, "#0f1011"), (0.5, "#5f636a"), (1, "#0f1011")], x2=1, y2=0),
    radial("metal", [(0, "#e0e3e8"), (0.7, "#9ba0a8"), (1, "#6b7078")], fx=0.35, fy=0.3),
    linear("plate", [(0, "#4b4f56"), (1, "#303338")]),
    linear("whitekey", [(0, "#dcdcd8"), (0.08, "#f6f6f3"), (0.9, "#ffffff"), (1, "#d6d6d1")]),
    linear("blackkey", [(0, "#3b3e43"), (1, "#1a1c1f")]),
    linear("meter", [(0, "#2fd06a"), (0.62, "#2fd06a"), (0.75, "#f2b632"), (1, "#f0503a")], x2=1, y2=0),
]


def load_areas():
    with open(HERE / "hot-areas.json", encoding="utf-8") as f:
        return {row["descriptor"]: row for row in json.load(f)}


def box(area):
    """left, top, right, bottom, centre x, centre y of a hot area."""
    l, t, r, b = area["left"], area["top"], area["right"], area["bottom"]
    return l, t, r, b, (l + r) / 2, (t + b) / 2


def knob(area, angle):
    l, t, r, b, cx, cy = box(area)
    a = math.radians(angle)
    dx, dy = math.sin(a), -math.cos(a)
    return [
        circle(cx, cy, 12.3, fill="url(#skirt)", stroke="#08090a", stroke_width=0.8),
        circle(cx, cy, 8.8, fill="url(#knobcap)", stroke="#141517", stroke_width=0.6),
        line(cx + 3 * dx, cy + 3 * dy, cx + 11.3 * dx, cy + 11.3 * dy,
             stroke="#f2f2f2", stroke_width=1.6, stroke_linecap="round"),
    ]


def pad(area):
    l, t, r, b, cx, cy = box(area)
    return [
        rect(l + 1, t + 1, r - l - 2, b - t - 2, rx=3.5, fill="url(#pad)", stroke="#0e0f11", stroke_width=1),
        rect(l + 3, t + 3, r - l - 6, b - t - 6, rx=2, fill="none", stroke="#ffffff",
             stroke_opacity=0.12, stroke_width=0.8),
    ]


def led(cx, y, lit, colour):
    return rect(cx - 4, y, 8, 2.2, rx=1, fill=colour if lit else "#3d1c17")


def button(area, lit):
    l, t, r, b, cx, cy = box(area)
    return [
        rect(l + 1.5, t + 1.5, r - l - 3, b - t - 3, rx=2.5, fill="url(#button)", stroke="#121316", stroke_width=1),
        led(cx, t + 4.5, lit, "#ff5b3a"),
    ]


def small_button(area, lit):
    l, t, r, b, cx, cy = box(area)
    return [
        rect(l + 1.5, t + 2.5, r - l - 3, b - t - 5, rx=3, fill="url(#darkbutton)", stroke="#0f1012", stroke_width=1),
        circle(cx, t + 6, 1.5, fill="#41f07a" if lit else "#1d3a26"),
    ]


def round_button(area):
    l, t, r, b, cx, cy = box(area)
    return [
        circle(cx, cy, 10, fill="url(#darkbutton)", stroke="#0f1012", stroke_width=1),
        circle(cx, cy, 6.5, fill="none", stroke="#ffffff", stroke_opacity=0.14, stroke_width=0.8),
    ]


def fader(area, level):
    l, t, r, b, cx, cy = box(area)
    items = [rect(cx - 1.5, t + 5, 3, b - t - 10, rx=1.5, fill="#050506", stroke="#3b3e44", stroke_width=0.6)]
    top, bottom = t + 8, b - 8
    for k in range(11):
        y = top + k * (bottom - top) / 10
        reach = 8.5 if k % 5 == 0 else 7
        items.append(line(cx - reach, y, cx - 4.5, y, stroke="#6f747c", stroke_width=0.6))
        items.append(line(cx + 4.5, y, cx + reach, y, stroke="#6f747c", stroke_width=0.6))
    cap_h = 12
    y = (b - 3 - cap_h) - level * (b - t - 6 - cap_h)
    items += [
        rect(cx - 7.5, y, 15, cap_h, rx=1.5, fill="url(#fadercap)", stroke="#0b0c0e", stroke_width=0.8),
        line(cx - 6.5, y + cap_h / 2, cx + 6.5, y + cap_h / 2, stroke="#f5f5f5", stroke_width=1.2),
    ]
    return items


def mini_fader(area, level):
    l, t, r, b, cx, cy = box(area)
    items = [
        rect(l + 0.5, t + 0.5, r - l - 1, b - t - 1, rx=3, fill="#141518", stroke="#3b3e44", stroke_width=1),
        rect(l + 5, cy - 1.2, r - l - 10, 2.4, rx=1.2, fill="#050506"),
    ]
    for k in range(7):
        x = l + 6 + k * (r - l - 12) / 6
        items.append(line(x, t + 3.5, x, t + 6, stroke="#6f747c", stroke_width=0.6))
        items.append(line(x, b - 6, x, b - 3.5, stroke="#6f747c", stroke_width=0.6))
    x = l + 5 + level * (r - l - 18)
    items += [
        rect(x, cy - 9, 8, 18, rx=1.5, fill="url(#fadercap)", stroke="#0b0c0e", stroke_width=0.8),
        line(x + 4, cy - 8, x + 4, cy + 8, stroke="#f5f5f5", stroke_width=1.2),
    ]
    return items


def wheel(area, mark_angle, mark_colour):
    """A wheel that rolls left and right: its ribs crowd together towards the ends."""
    l, t, r, b, cx, cy = box(area)
    half = (r - l - 10) / 2
    items = [
        rect(l + 0.5, t + 0.5, r - l - 1, b - t - 1, rx=3, fill="#08090a", stroke="#3b3e44", stroke_width=1),
        rect(l + 5, t + 3, r - l - 10, b - t - 6, rx=2, fill="url(#wheel)"),
    ]
    for step in range(-8, 9):
        x = cx + half * math.sin(math.radians(step * 10 + 4))
        items.append(line(x, t + 3.5, x, b - 3.5, stroke="#000000", stroke_opacity=0.5, stroke_width=0.8))
    x = cx + half * math.sin(math.radians(mark_angle))
    items.append(line(x, t + 3.5, x, b - 3.5, stroke=mark_colour, stroke_width=1.4))
    return items


def jack(area):
    l, t, r, b, cx, cy = box(area)
    nut = [(cx + 10 * math.cos(math.radians(60 * k)), cy + 10 * math.sin(math.radians(60 * k))) for k in range(6)]
    return [
        rect(l + 1, t + 1, r - l - 2, b - t - 2, rx=3, fill="url(#plate)", stroke="#0d0e10", stroke_width=1),
        polygon(nut, fill="url(#metal)", stroke="#2a2c30", stroke_width=0.8, stroke_linejoin="round"),
        circle(cx, cy, 6.2, fill="#1c1d20", stroke="#595d64", stroke_width=0.6),
        circle(cx, cy, 3.6, fill="#000000"),
    ]


def pressure_meter(area):
    l, t, r, b, cx, cy = box(area)
    items = [
        rect(l + 1, t + 1, r - l - 2, b - t - 2, rx=4, fill="url(#pad)", stroke="#0e0f11", stroke_width=1),
        rect(l + 5, t + 4, r - l - 10, 4, rx=1, fill="url(#meter)", fill_opacity=0.9),
    ]
    # Dark gaps turn the bar into a row of LED segments, the upper ones unlit.
    segments = 8
    width = (r - l - 10) / segments
    for k in range(1, segments):
        x = l + 5 + k * width
        items.append(line(x, t + 4, x, t + 8, stroke="#303338", stroke_width=0.9))
    items.append(rect(l + 5 + 5 * width, t + 4, 3 * width, 4, fill="#111214", fill_opacity=0.6))
    return items


def keyboard():
    """Three octaves and a top C along the front edge."""
    left, right, top, bottom = 458.0, 697.0, 133.0, 204.0
    white_count = 22
    key_w = (right - left - 2) / white_count
    key_top, key_bottom = 137.5, 201.0
    items = [
        rect(left, top, right - left, bottom - top, fill="#0a0b0c"),
        rect(left + 1, top + 1, right - left - 2, 2.5, fill="#6b1e22"),
    ]
    for k in range(white_count):
        x = left + 1 + k * key_w
        items.append(rect(x + 0.3, key_top, key_w - 0.6, key_bottom - key_top, rx=1,
                          fill="url(#whitekey)", stroke="#8c8c88", stroke_width=0.4))
    black_w, black_len = key_w * 0.6, (key_bottom - key_top) * 0.6
    # Black keys sit off the gap between their white keys, as on a real keyboard; none between
    # E-F and B-C.
    offsets = {0: -0.1, 1: 0.1, 3: -0.12, 4: 0.0, 5: 0.12}
    for k in range(white_count - 1):
        if k % 7 not in offsets:
            continue
        x = left + 1 + (k + 1 + offsets[k % 7]) * key_w - black_w / 2
        items.append(rect(x, key_top - 0.5, black_w, black_len, rx=0.8, fill="#08090a"))
        items.append(rect(x + 0.8, key_top, black_w - 1.6, black_len - 4, rx=0.6, fill="url(#blackkey)"))
    return items


def body():
    return [
        rect(1, 1, WIDTH - 2, HEIGHT - 2, rx=12, fill="url(#cheek)", stroke="#050506", stroke_width=1),
        rect(CHEEK, 1.5, WIDTH - 2 * CHEEK, HEIGHT - 3, fill="url(#body)"),
        line(CHEEK, 2, WIDTH - CHEEK, 2, stroke="#5c6168", stroke_width=1),
        line(CHEEK, 1.5, CHEEK, HEIGHT - 1.5, stroke="#08090a", stroke_width=1),
        line(WIDTH - CHEEK, 1.5, WIDTH - CHEEK, HEIGHT - 1.5, stroke="#08090a", stroke_width=1),
        # recessed panels behind the control groups
        rect(15, 8, 331, 130, rx=5, fill="url(#panel)", stroke="#121316", stroke_width=1),
        rect(458, 8, 239, 122, rx=5, fill="url(#panel)", stroke="#121316", stroke_width=1),
        rect(15, 142, 313, 58, rx=5, fill="url(#panel)", stroke="#121316", stroke_width=1),
    ]


def logo():
    return [
        text(404, 39, "KVX", size=25, fill="#e4e7eb", weight="bold"),
        rect(378, 43, 52, 1.6, fill="#e8862a"),
        text(404, 51, "MIDI CONTROLLER", size=5.5, fill="#8d939b"),
    ]


def labels(areas):
    items = []

    def above(d, gap=4):
        items.append(text(box(areas[d])[4], areas[d]["top"] - gap, d))

    def below(d, gap=9):
        items.append(text(box(areas[d])[4], areas[d]["bottom"] + gap, d))

    for i in range(1, 10):
        above(f"R{i}")
        above(f"A{i}")
        below(f"B{i}")
        above(f"S{i}")
    for d in ("H1", "H2", "C1", "C2", "C3", "P1", "P2"):
        below(d)
    for d in ("L1", "L2", "L3", "L4", "AFT"):
        above(d)
    for d in ("MOD", "BEND"):
        items.append(text(areas[d]["left"] - 4, box(areas[d])[5] + 2.5, d, anchor="end"))
    return items


def build():
    areas = load_areas()
    controls = []
    for i in range(1, 10):
        controls.append((f"R{i}", knob(areas[f"R{i}"], KNOB_ANGLES[i - 1])))
    for i in range(1, 10):
        controls.append((f"S{i}", fader(areas[f"S{i}"], FADER_LEVELS[i - 1])))
    for i in range(1, 10):
        controls.append((f"A{i}", pad(areas[f"A{i}"])))
    for i in range(1, 10):
        controls.append((f"B{i}", button(areas[f"B{i}"], f"B{i}" in LIT_LEDS)))
    for i in range(1, 4):
        controls.append((f"C{i}", small_button(areas[f"C{i}"], f"C{i}" in LIT_LEDS)))
    for i in range(1, 3):
        controls.append((f"H{i}", mini_fader(areas[f"H{i}"], MINI_FADER_LEVELS[i - 1])))
    for i in range(1, 5):
        controls.append((f"L{i}", round_button(areas[f"L{i}"])))
    controls.append(("P1", jack(areas["P1"])))
    controls.append(("P2", jack(areas["P2"])))
    controls.append(("BEND", wheel(areas["BEND"], 0, "#e8e8e8")))
    controls.append(("MOD", wheel(areas["MOD"], -50, "#e8862a")))
    controls.append(("AFT", pressure_meter(areas["AFT"])))

    out = [
        '<?xml version="1.0" encoding="UTF-8"?>',
        f'<svg xmlns="http://www.w3.org/2000/svg" version="1.1" width="{WIDTH}" height="{HEIGHT}" '
        f'viewBox="0 0 {WIDTH} {HEIGHT}">',
        "  <title>KVX controller keyboard</title>",
        "  <defs>",
        *[f"    {d}" for d in DEFS],
        "  </defs>",
        group("body", body()),
        group("keyboard", keyboard()),
        group("logo", logo()),
        *[group(gid, items) for gid, items in controls],
        group("labels", labels(areas)),
        "</svg>",
    ]
    return "\n".join(out) + "\n"


def main():
    target = Path(sys.argv[1]) if len(sys.argv) > 1 else HERE / "kvx-device.svg"
    target.write_text(build(), encoding="utf-8")


if __name__ == "__main__":
    main()
