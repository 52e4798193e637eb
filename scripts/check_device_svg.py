#!/usr/bin/env python3
"""Checks the device picture against the controllers' hot areas.

The hot areas (resources/device/hot-areas.json) are where a click selects a controller; the picture
(resources/device/kvx-device.svg) must draw each controller inside its own area, as a group whose
id is the controller's descriptor, and must not cover any area with decoration such as the keys.

Checks:
  - the table: 50 rows in controller order with the expected descriptors, non-empty rectangles
    that do not overlap and lie inside the picture, at least 2 pixels from its edge;
  - the picture: width, height and viewBox in the same pixel units, no features that Qt's SVG
    renderer does not draw, every url(#id) reference defined;
  - each controller: exactly one element with its id, built only from elements whose drawn
    bounds can be computed here (rect, circle, ellipse, line, polygon, polyline, g, without
    transforms); the bounds, strokes included, lie inside the hot rectangle and fill at least
    FILL_RATIO of its width and height;
  - the groups named in DECORATION do not intersect any hot rectangle.

Usage: check_device_svg.py [--svg FILE] [--areas FILE] [--verbose]
Exit status 0 when every check passes, 1 otherwise.
"""

import argparse
import json
import re
import sys
import xml.etree.ElementTree as ET
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
SVG_NS = "{http://www.w3.org/2000/svg}"
CONTROLLER_COUNT = 50
PANE_INSET = 2           # caption boxes are kept this far inside the pane
FILL_RATIO = 0.7         # a control must visibly fill its hot area
DECORATION = ("keyboard",)
MEASURABLE = {"g", "rect", "circle", "ellipse", "line", "polygon", "polyline"}
UNSUPPORTED = {"filter", "mask", "pattern", "textPath", "foreignObject", "style", "script"}
MITER_LIMIT_DEFAULT = 4.0


def expected_descriptors():
    names = [f"{group}{n}" for group in "RSAB" for n in range(1, 10)]
    names += ["C1", "C2", "C3", "H1", "H2", "L1", "L2", "L3", "L4", "P1", "P2", "BEND", "MOD", "AFT"]
    return names


class Box:
    """Axis-aligned bounds in picture coordinates (continuous, not pixels)."""

    def __init__(self, left, top, right, bottom):
        self.left, self.top, self.right, self.bottom = left, top, right, bottom

    def union(self, other):
        if other is None:
            return self
        return Box(min(self.left, other.left), min(self.top, other.top),
                   max(self.right, other.right), max(self.bottom, other.bottom))

    def grown(self, d):
        return Box(self.left - d, self.top - d, self.right + d, self.bottom + d)

    def inside(self, outer):
        return (outer.left <= self.left and outer.top <= self.top
                and self.right <= outer.right and self.bottom <= outer.bottom)

    def intersects(self, other):
        return (self.left < other.right and other.left < self.right
                and self.top < other.bottom and other.top < self.bottom)

    @property
    def width(self):
        return self.right - self.left

    @property
    def height(self):
        return self.bottom - self.top

    def __str__(self):
        return f"[{self.left:g},{self.top:g} .. {self.right:g},{self.bottom:g}]"


def hot_box(row):
    # A half-open pixel rectangle covers the continuous area from its left/top to its right/bottom.
    return Box(row["left"], row["top"], row["right"], row["bottom"])


def local_name(element):
    tag = element.tag
    return tag[len(SVG_NS):] if tag.startswith(SVG_NS) else tag


def number(element, name, default=0.0):
    value = element.get(name)
    if value is None:
        return default
    match = re.fullmatch(r"\s*([-+]?(?:\d+\.?\d*|\.\d+)(?:[eE][-+]?\d+)?)\s*(px)?\s*", value)
    if not match:
        raise ValueError(f"<{local_name(element)}> {name}={value!r} is not a plain number")
    return float(match.group(1))


def style_value(element, name):
    """A presentation attribute, or the same property in a simple style attribute."""
    for item in (element.get("style") or "").split(";"):
        key, _, value = item.partition(":")
        if key.strip() == name:
            return value.strip()
    return element.get(name)


class StrokeState:
    """Inherited stroke properties that widen an element's drawn bounds."""

    def __init__(self, painted=False, width=1.0, join="miter", miter_limit=MITER_LIMIT_DEFAULT):
        self.painted, self.width, self.join, self.miter_limit = painted, width, join, miter_limit

    def child(self, element):
        state = StrokeState(self.painted, self.width, self.join, self.miter_limit)
        stroke = style_value(element, "stroke")
        if stroke is not None:
            state.painted = stroke.strip() not in ("none", "transparent")
        width = style_value(element, "stroke-width")
        if width is not None:
            state.width = float(re.sub(r"px$", "", width.strip()))
        join = style_value(element, "stroke-linejoin")
        if join is not None:
            state.join = join.strip()
        limit = style_value(element, "stroke-miterlimit")
        if limit is not None:
            state.miter_limit = float(limit)
        return state

    def half_width(self, sharp_corners):
        if not self.painted:
            return 0.0
        half = self.width / 2
        # Miter joins at angles sharper than a right angle reach beyond half the width.
        if sharp_corners and self.join == "miter":
            half *= self.miter_limit
        return half


def parse_points(text):
    values = [float(v) for v in re.split(r"[\s,]+", text.strip()) if v]
    if len(values) < 2 or len(values) % 2:
        raise ValueError(f"bad points list {text!r}")
    return list(zip(values[0::2], values[1::2]))


def shape_box(element, stroke):
    """The drawn bounds of one shape element, stroke included."""
    kind = local_name(element)
    if kind == "rect":
        x, y = number(element, "x"), number(element, "y")
        box = Box(x, y, x + number(element, "width"), y + number(element, "height"))
        return box.grown(stroke.half_width(False))
    if kind == "circle":
        cx, cy, r = number(element, "cx"), number(element, "cy"), number(element, "r")
        return Box(cx - r, cy - r, cx + r, cy + r).grown(stroke.half_width(False))
    if kind == "ellipse":
        cx, cy = number(element, "cx"), number(element, "cy")
        rx, ry = number(element, "rx"), number(element, "ry")
        return Box(cx - rx, cy - ry, cx + rx, cy + ry).grown(stroke.half_width(False))
    if kind == "line":
        x1, y1 = number(element, "x1"), number(element, "y1")
        x2, y2 = number(element, "x2"), number(element, "y2")
        box = Box(min(x1, x2), min(y1, y2), max(x1, x2), max(y1, y2))
        return box.grown(stroke.half_width(False))
    if kind in ("polygon", "polyline"):
        points = parse_points(element.get("points", ""))
        xs, ys = [p[0] for p in points], [p[1] for p in points]
        return Box(min(xs), min(ys), max(xs), max(ys)).grown(stroke.half_width(True))
    raise ValueError(f"cannot measure <{kind}>")


def drawn_box(element, stroke=None):
    """The bounds of an element and its children; raises ValueError for what cannot be measured."""
    kind = local_name(element)
    if kind not in MEASURABLE:
        raise ValueError(f"<{kind}> cannot be measured; draw controls with {sorted(MEASURABLE)}")
    if element.get("transform") is not None:
        raise ValueError(f"<{kind}> has a transform; controls are drawn in pane coordinates")
    state = (stroke or StrokeState()).child(element)
    if kind != "g":
        return shape_box(element, state)
    box = None
    for child in element:
        if local_name(child) in ("title", "desc"):
            continue
        child_box = drawn_box(child, state)
        box = child_box if box is None else box.union(child_box)
    if box is None:
        raise ValueError("empty group")
    return box


def inherited_stroke(element, parents):
    """The stroke state an element inherits from its ancestors."""
    chain = []
    node = parents.get(element)
    while node is not None:
        chain.append(node)
        node = parents.get(node)
    state = StrokeState()
    for node in reversed(chain):
        state = state.child(node)
    return state


class Checker:
    def __init__(self, verbose):
        self.errors = []
        self.verbose = verbose

    def fail(self, message):
        self.errors.append(message)

    def note(self, message):
        if self.verbose:
            print(message)

    def check_table(self, rows, width, height):
        names = expected_descriptors()
        if len(rows) != CONTROLLER_COUNT:
            self.fail(f"hot-area table has {len(rows)} rows, expected {CONTROLLER_COUNT}")
        pane = Box(PANE_INSET, PANE_INSET, width - PANE_INSET, height - PANE_INSET)
        for position, row in enumerate(rows):
            label = f"hot area {position}"
            missing = {"index", "descriptor", "top", "left", "bottom", "right", "lines", "row"} - row.keys()
            if missing:
                self.fail(f"{label}: missing fields {sorted(missing)}")
                continue
            if row["index"] != position:
                self.fail(f"{label}: index {row['index']} out of order")
            if position < len(names) and row["descriptor"] != names[position]:
                self.fail(f"{label}: descriptor {row['descriptor']!r}, expected {names[position]!r}")
            if row["left"] >= row["right"] or row["top"] >= row["bottom"]:
                self.fail(f"{label} ({row['descriptor']}): empty rectangle")
            if not hot_box(row).inside(pane):
                self.fail(f"{label} ({row['descriptor']}) {hot_box(row)} is not inside the pane {pane}")
        for i, first in enumerate(rows):
            for second in rows[i + 1:]:
                if hot_box(first).intersects(hot_box(second)):
                    self.fail(f"hot areas {first['descriptor']} and {second['descriptor']} overlap")

    def check_canvas(self, root):
        try:
            width, height = number(root, "width"), number(root, "height")
        except ValueError as error:
            self.fail(f"picture size: {error}")
            return None
        view_box = [float(v) for v in re.split(r"[\s,]+", (root.get("viewBox") or "").strip()) if v]
        if view_box != [0.0, 0.0, width, height]:
            self.fail(f"viewBox {root.get('viewBox')!r} does not match the size {width:g} x {height:g}")
        self.note(f"picture {width:g} x {height:g}")
        return width, height

    def check_features(self, root):
        defined = {element.get("id") for element in root.iter() if element.get("id")}
        undefined = set()
        for element in root.iter():
            kind = local_name(element)
            if kind in UNSUPPORTED:
                self.fail(f"<{kind}> is not drawn by Qt's SVG renderer")
            for value in element.attrib.values():
                undefined.update(set(re.findall(r"url\(#([^)]+)\)", value)) - defined)
            if element.get("filter") is not None:
                self.fail(f"<{kind}> uses a filter")
        for target in sorted(undefined):
            self.fail(f"url(#{target}) refers to an undefined id")

    def check_controls(self, root, rows):
        by_id = {}
        for element in root.iter():
            if element.get("id"):
                by_id.setdefault(element.get("id"), []).append(element)
        parents = {child: parent for parent in root.iter() for child in parent}
        for row in rows:
            name = row["descriptor"]
            found = by_id.get(name, [])
            if len(found) != 1:
                self.fail(f"{name}: {len(found)} elements carry this id, expected 1")
                continue
            try:
                box = drawn_box(found[0], inherited_stroke(found[0], parents))
            except ValueError as error:
                self.fail(f"{name}: {error}")
                continue
            hot = hot_box(row)
            self.note(f"{name:5} drawn {box} hot {hot}")
            if not box.inside(hot):
                self.fail(f"{name}: drawn {box} reaches outside its hot area {hot}")
            if box.width < FILL_RATIO * hot.width or box.height < FILL_RATIO * hot.height:
                self.fail(f"{name}: drawn {box} fills too little of its hot area {hot}")

    def check_decoration(self, root, rows):
        parents = {child: parent for parent in root.iter() for child in parent}
        for name in DECORATION:
            found = [e for e in root.iter() if e.get("id") == name]
            for element in found:
                try:
                    box = drawn_box(element, inherited_stroke(element, parents))
                except ValueError as error:
                    self.fail(f"{name}: {error}")
                    continue
                self.note(f"{name} drawn {box}")
                for row in rows:
                    if box.intersects(hot_box(row)):
                        self.fail(f"{name} {box} covers the hot area of {row['descriptor']} {hot_box(row)}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--svg", type=Path, default=ROOT / "resources/device/kvx-device.svg")
    parser.add_argument("--areas", type=Path, default=ROOT / "resources/device/hot-areas.json")
    parser.add_argument("--verbose", action="store_true")
    args = parser.parse_args()

    checker = Checker(args.verbose)
    try:
        rows = json.loads(args.areas.read_text(encoding="utf-8"))
        root = ET.parse(args.svg).getroot()
    except (OSError, ValueError, ET.ParseError) as error:
        print(f"error: {error}", file=sys.stderr)
        return 1
    if not isinstance(rows, list) or not all(isinstance(row, dict) for row in rows):
        print(f"error: {args.areas} is not an array of objects", file=sys.stderr)
        return 1

    size = checker.check_canvas(root)
    if size:
        checker.check_table(rows, *size)
    checker.check_features(root)
    checker.check_controls(root, rows)
    checker.check_decoration(root, rows)

    for message in checker.errors:
        print(f"FAIL {message}")
    if checker.errors:
        print(f"{len(checker.errors)} problem(s) in {args.svg.name}")
        return 1
    print(f"ok: {len(rows)} controllers drawn inside their hot areas, "
          f"{', '.join(DECORATION)} clear of them")
    return 0


if __name__ == "__main__":
    sys.exit(main())
