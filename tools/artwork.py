#!/usr/bin/env python3
"""Writes picture/artwork.cpp, the picture's polygon table, from the shapes below, and
picture/form.txt, the form the tests hold the table and its render to.

Run from the repository root: python3 tools/artwork.py [--check]
With --check it only reports whether the committed files match what this script makes.
Every polygon is written with positive signed area in design coordinates (clockwise on
screen); the script turns any it is given the other way round. The creature is drawn freely
and then brought to its layers' exact polygon sizes by adding vertices on polygon edges
(see balance). The script refuses to write a table that breaks the picture's form.
"""
import math
import sys

layers = {2: [], 3: [], 4: [], 6: [], 7: []}
fixed_rows = set()  # (layer, row): the rows whose vertices are given, not drawn here


def area2(points):
    return sum(x0 * y1 - x1 * y0 for (x0, y0), (x1, y1) in zip(points, points[1:] + points[:1]))


def add(layer, group, points, fixed=False):
    points = [(int(round(x)), int(round(y))) for x, y in points]
    if area2(points) < 0 and not fixed:
        points = [points[0]] + points[:0:-1]
    layers[layer].append((group, points))
    if fixed:
        fixed_rows.add((layer, len(layers[layer]) - 1))


def rect(layer, group, x0, y0, x1, y1):
    add(layer, group, [(x0, y0), (x1, y0), (x1, y1), (x0, y1)])


def arch(layer, group, x0, y0, x1, y1, corners):
    """A window with a round top: `corners` vertices in all (7 or 8), y0 the top of the arc."""
    arc = corners - 2
    r = (x1 - x0) / 2
    cx, spring = x0 + r, y0 + r
    pts = [(cx - r * math.cos(math.pi * k / (arc - 1)), spring - r * math.sin(math.pi * k / (arc - 1)))
           for k in range(arc)]
    add(layer, group, pts + [(x1, y1), (x0, y1)])


def pointed(layer, group, x0, y0, x1, y1, spring):
    """A pointed-arch window: five vertices, apex at y0, sides from `spring` down to y1."""
    add(layer, group, [(x0, spring), ((x0 + x1) / 2, y0), (x1, spring), (x1, y1), (x0, y1)])


def chamfered(layer, group, x0, y0, x1, y1, c):
    add(layer, group, [(x0, y0 + c), (x0 + c, y0), (x1 - c, y0), (x1, y0 + c), (x1, y1), (x0, y1)])


def crenels(layer, group, x0, x1, top, depth, merlons):
    """The gaps between `merlons` equal merlons spread over [x0, x1], cut down from `top`."""
    width = x1 - x0
    merlon = round(width * 0.56 / merlons)
    gap = (width - merlon * merlons) / (merlons - 1)
    for k in range(merlons - 1):
        a = x0 + merlon * (k + 1) + gap * k
        rect(layer, group, a, top - 3, a + gap, top + depth)


def machicolations(layer, group, x0, x1, y, count, depth):
    step = (x1 - x0) / count
    for k in range(count):
        a = x0 + step * k + step * 0.2
        add(layer, group, [(a, y), (a + step * 0.6, y), (a + step * 0.3, y + depth)])


# Helpers for the creature: thin bands along a line, and spikes on an edge.
def band(layer, group, start, end, w0, w1):
    """A tapering strip from start (width w0) to end (width w1)."""
    (x0, y0), (x1, y1) = start, end
    length = math.hypot(x1 - x0, y1 - y0)
    nx, ny = -(y1 - y0) / length, (x1 - x0) / length
    add(layer, group, [(x0 + nx * w0 / 2, y0 + ny * w0 / 2), (x1 + nx * w1 / 2, y1 + ny * w1 / 2),
                       (x1 - nx * w1 / 2, y1 - ny * w1 / 2), (x0 - nx * w0 / 2, y0 - ny * w0 / 2)])


def spike(layer, group, a, b, height):
    """A triangle on the segment a-b, pointing `height` units to its left (outwards on a top edge)."""
    (x0, y0), (x1, y1) = a, b
    length = math.hypot(x1 - x0, y1 - y0)
    nx, ny = (y1 - y0) / length, -(x1 - x0) / length
    mx, my = (x0 + x1) / 2, (y0 + y1) / 2
    add(layer, group, [a, b, (mx + nx * height, my + ny * height)])



def convex_ok(pts):
    if len(set(pts)) != len(pts) or area2(pts) <= 0:
        return False
    turns = [(b[0] - a[0]) * (c[1] - b[1]) - (b[1] - a[1]) * (c[0] - b[0])
             for a, b, c in zip(pts, pts[1:] + pts[:1], pts[2:] + pts[:2])]
    return all(t >= 0 for t in turns)


def with_vertex(pts, bounds):
    """The polygon with one more vertex on its longest possible edge: an exact lattice point on
    the edge where there is one near its middle, otherwise a point half a unit outside it."""
    edges = sorted(range(len(pts)), key=lambda i: -math.dist(pts[i], pts[(i + 1) % len(pts)]))
    x0, y0, x1, y1 = bounds
    for i in edges:
        a, b = pts[i], pts[(i + 1) % len(pts)]
        dx, dy = b[0] - a[0], b[1] - a[1]
        n = math.gcd(abs(dx), abs(dy))
        candidates = []
        if n >= 2:
            k = n // 2
            candidates.append((a[0] + dx // n * k, a[1] + dy // n * k))
        length = math.hypot(dx, dy)
        for out in (0.5, 1.0, 1.5):
            # outward normal of a positive-area polygon in y-down coordinates: (dy, -dx)
            candidates.append((round((a[0] + b[0]) / 2 + dy / length * out),
                               round((a[1] + b[1]) / 2 - dx / length * out)))
        for m in candidates:
            new = pts[:i + 1] + [m] + pts[i + 1:]
            if convex_ok(new) and x0 <= m[0] <= x1 and y0 <= m[1] <= y1:
                return new
    return None


def balance(layer, want, bounds):
    """Grows polygons one vertex at a time until the layer's sizes are `want` ({size: count}):
    the drawn polygons, smallest first, are paired with the wanted sizes, smallest first, so
    among polygons of one size the larger ones take the extra vertices. The given rows stay."""
    polys = layers[layer]
    target = sorted(s for s, c in want.items() for _ in range(c))
    if len(target) != len(polys):
        print(f"layer {layer}: {len(polys)} polygons, want {len(target)}", file=sys.stderr)
        return
    order = sorted(range(len(polys)), key=lambda i: (len(polys[i][1]), (layer, i) not in fixed_rows,
                                                       abs(area2(polys[i][1]))))
    fixed_sizes = sorted(len(polys[i][1]) for i in order if (layer, i) in fixed_rows)
    for s in fixed_sizes:
        target.remove(s)
    free = [i for i in order if (layer, i) not in fixed_rows]
    for i, size in zip(free, target):
        group, pts = polys[i]
        while len(pts) < size:
            grown = with_vertex(pts, bounds)
            if grown is None:
                print(f"layer {layer}, {group}: cannot grow {pts}", file=sys.stderr)
                break
            pts = grown
        if len(pts) > size:
            print(f"layer {layer}, {group}: {len(pts)} vertices, more than {size}", file=sys.stderr)
        polys[i] = (group, pts)


def background():
    """Layers 2 to 4: bands of ground, the castle on its hill, and its openings."""
    # ---------------------------------------------------------------- layer 2: grey bands
    G = 2
    add(G, "fields by the hill's foot", [(1132, 901), (1049, 832), (1133, 833)], fixed=True)
    add(G, "far fields", [(0, 716), (430, 700), (880, 708), (1150, 736), (0, 744)])
    add(G, "far fields", [(1150, 736), (880, 708), (1290, 716)])
    add(G, "far fields", [(60, 752), (620, 748), (700, 760), (40, 766)])
    add(G, "road", [(0, 784), (700, 770), (1240, 780), (0, 800)])
    add(G, "river banks", [(0, 846), (1049, 826), (1133, 833), (0, 866)])
    add(G, "river banks", [(0, 882), (1133, 854), (1133, 872), (600, 902), (0, 902)])
    add(G, "river banks", [(1133, 833), (1210, 818), (1133, 846)])
    add(G, "scree below the right tower",
        [(1668, 720), (1670, 712), (1681, 708), (1682, 708), (1686, 723), (1679, 731)], fixed=True)

    # ---------------------------------------------------------------- layer 3: castle, hill, ground
    D = 3
    g = "keep: turret cap, flag and turret"
    add(D, g, [(1482, 194), (1445, 194), (1447, 169), (1476, 162)], fixed=True)
    rect(D, g, 1461, 148, 1465, 168)
    add(D, g, [(1465, 150), (1499, 158), (1465, 166)])
    rect(D, g, 1449, 193, 1478, 300)
    g = "keep: parapet, chimney and body"
    add(D, g, [(1402, 290), (1523, 290), (1523, 322), (1515, 334), (1410, 334), (1402, 322)])
    rect(D, g, 1497, 262, 1509, 291)
    rect(D, g, 1410, 333, 1515, 745)
    g = "left tower: parapet, corner turret and body"
    add(D, g, [(1275, 405), (1380, 405), (1380, 440), (1372, 452), (1283, 452), (1275, 440)])
    add(D, g, [(1262, 470), (1284, 470), (1284, 522), (1273, 536), (1262, 522)])
    add(D, g, [(1257, 472), (1273, 440), (1289, 472)])
    rect(D, g, 1283, 451, 1372, 745)
    rect(D, g, 1358, 386, 1368, 406)
    g = "walls, stair turret and chapel roof"
    rect(D, g, 1372, 520, 1410, 745)
    rect(D, g, 1392, 488, 1410, 521)
    rect(D, g, 1515, 545, 1700, 745)
    add(D, g, [(1600, 546), (1600, 520), (1616, 498), (1632, 520), (1632, 546)])
    g = "right towers: bodies, roofs, balcony and corner turret"
    rect(D, g, 1700, 380, 1790, 745)
    add(D, g, [(1690, 382), (1745, 256), (1800, 382)])
    rect(D, g, 1743, 236, 1747, 258)
    rect(D, g, 1688, 560, 1701, 600)
    rect(D, g, 1790, 470, 1880, 745)
    add(D, g, [(1782, 472), (1835, 372), (1888, 472)])
    add(D, g, [(1879, 520), (1902, 520), (1902, 562), (1891, 578), (1879, 562)])
    add(D, g, [(1875, 522), (1890, 492), (1906, 522)])
    g = "outer tower and wall down the slope"
    rect(D, g, 1150, 762, 1212, 880)
    add(D, g, [(1142, 764), (1181, 700), (1220, 764)])
    add(D, g, [(1283, 581), (1283, 760), (1132, 871)])
    g = "hill, with a hut at its foot"
    add(D, g, [(1132, 871), (1283, 735), (1920, 722), (1920, 1080), (1132, 1080)])
    add(D, g, [(1000, 905), (1132, 871), (1132, 1080), (1000, 1080)])
    rect(D, g, 1058, 868, 1086, 896)
    add(D, g, [(1054, 870), (1072, 852), (1090, 870)])
    g = "ground along the bottom, with rocks, bushes and tufts"
    add(D, g, [(0, 908), (330, 896), (660, 902), (660, 1080), (0, 1080)])
    add(D, g, [(660, 902), (830, 903), (830, 1080), (660, 1080)])
    add(D, g, [(830, 903), (1000, 905), (1000, 1080), (830, 1080)])
    add(D, g, [(150, 905), (166, 888), (190, 884), (208, 896), (210, 910)])
    add(D, g, [(402, 902), (420, 886), (452, 882), (468, 898), (466, 908)])
    add(D, g, [(930, 906), (946, 893), (968, 891), (982, 900), (981, 910)])
    add(D, g, [(255, 900), (266, 880), (290, 872), (314, 880), (324, 898), (314, 906)])
    add(D, g, [(560, 902), (572, 884), (596, 878), (620, 886), (628, 902), (616, 908)])
    add(D, g, [(1010, 905), (1020, 888), (1040, 882), (1060, 889), (1066, 902), (1056, 908)])
    add(D, g, [(700, 905), (712, 882), (722, 905)])

    add(D, "outer tower and wall down the slope", [(1283, 581), (1132, 871), (1264, 585)], fixed=True)

    # ---------------------------------------------------------------- layer 4: openings
    W = 4
    add(W, "slits in the wall down the slope", [(1282, 731), (1297, 746), (1303, 757), (1287, 754)], fixed=True)
    g = "slits in the wall down the slope"
    add(W, g, [(1236, 690), (1242, 686), (1247, 700), (1241, 704)])
    add(W, g, [(1196, 742), (1202, 738), (1207, 752), (1201, 756)])
    g = "gaps between the merlons"
    crenels(W, g, 1275, 1380, 405, 14, 5)
    crenels(W, g, 1372, 1410, 520, 14, 2)
    crenels(W, g, 1402, 1449, 290, 12, 3)
    crenels(W, g, 1478, 1523, 290, 12, 3)
    crenels(W, g, 1515, 1598, 545, 14, 5)
    crenels(W, g, 1634, 1700, 545, 14, 4)
    g = "holes under the overhanging parapets"
    machicolations(W, g, 1283, 1372, 452, 8, 10)
    machicolations(W, g, 1410, 1515, 334, 8, 10)
    g = "keep: windows, slits and gate"
    arch(W, g, 1456, 222, 1471, 250, 7)
    arch(W, g, 1425, 370, 1447, 420, 8)
    arch(W, g, 1478, 370, 1500, 420, 8)
    arch(W, g, 1452, 450, 1473, 500, 8)
    pointed(W, g, 1428, 520, 1444, 565, 532)
    pointed(W, g, 1481, 520, 1497, 565, 532)
    rect(W, g, 1460, 520, 1465, 556)
    arch(W, g, 1452, 580, 1473, 616, 7)
    rect(W, g, 1431, 598, 1436, 634)
    rect(W, g, 1489, 598, 1494, 634)
    arch(W, g, 1438, 655, 1488, 742, 8)
    g = "left tower: windows and slits"
    arch(W, g, 1300, 480, 1318, 525, 8)
    arch(W, g, 1337, 480, 1355, 525, 8)
    pointed(W, g, 1303, 560, 1317, 600, 570)
    pointed(W, g, 1338, 560, 1352, 600, 570)
    chamfered(W, g, 1318, 620, 1338, 655, 5)
    rect(W, g, 1292, 670, 1296, 704)
    rect(W, g, 1326, 680, 1330, 714)
    rect(W, g, 1359, 670, 1363, 704)
    g = "wall and chapel windows"
    arch(W, g, 1382, 558, 1400, 590, 7)
    rect(W, g, 1389, 620, 1393, 650)
    pointed(W, g, 1604, 566, 1614, 610, 576)
    pointed(W, g, 1618, 566, 1628, 610, 576)
    chamfered(W, g, 1535, 600, 1555, 632, 5)
    chamfered(W, g, 1660, 600, 1680, 632, 5)
    g = "right towers: windows and slits"
    arch(W, g, 1712, 420, 1732, 465, 8)
    arch(W, g, 1758, 420, 1778, 465, 8)
    pointed(W, g, 1715, 500, 1729, 540, 511)
    pointed(W, g, 1761, 500, 1775, 540, 511)
    arch(W, g, 1736, 560, 1754, 595, 7)
    arch(W, g, 1736, 640, 1754, 675, 7)
    rect(W, g, 1717, 590, 1721, 620)
    rect(W, g, 1767, 590, 1771, 620)
    rect(W, g, 1743, 700, 1747, 730)
    arch(W, g, 1815, 500, 1835, 545, 8)
    chamfered(W, g, 1812, 600, 1832, 635, 5)
    rect(W, g, 1820, 660, 1824, 690)
    rect(W, g, 1856, 630, 1860, 660)
    g = "outer tower: slit, window and postern door"
    rect(W, g, 1161, 782, 1167, 808)
    chamfered(W, g, 1184, 780, 1200, 806, 4)
    arch(W, g, 1170, 840, 1194, 883, 8)
    add(W, "right towers: windows and slits",
        [(1855, 590), (1861, 576), (1862, 576), (1866, 587), (1864, 597)], fixed=True)


# ---------------------------------------------------------------- layers 6 and 7: the creature
def lerp(a, b, t):
    return (a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t)


def sections_along(centre, widths):
    """The two edge points, at the given widths, across each point of a centre line."""
    out = []
    for i, (x, y) in enumerate(centre):
        a = centre[max(i - 1, 0)]
        b = centre[min(i + 1, len(centre) - 1)]
        length = math.hypot(b[0] - a[0], b[1] - a[1])
        nx, ny = -(b[1] - a[1]) / length, (b[0] - a[0]) / length
        w = widths[i] / 2
        out.append(((round(x - nx * w), round(y - ny * w)), (round(x + nx * w), round(y + ny * w))))
    return out


def limb(layer, group, centre, widths):
    """A tapering limb along a centre line, one quad a segment; neighbouring quads share their
    ends exactly, so the limb has no seams."""
    edges = sections_along(centre, widths)
    for (a0, b0), (a1, b1) in zip(edges, edges[1:]):
        add(layer, group, [a0, a1, b1, b0])
    return edges


def scallop(a, b, pull_to, depth, count):
    """`count` points from a to b along an edge that curves towards `pull_to`, deepest midway."""
    return [lerp(lerp(a, b, k / (count + 1)), pull_to, 4 * k / (count + 1) * (1 - k / (count + 1)) * depth)
            for k in range(1, count + 1)]


def fan(layer, group, hub, rim):
    """A membrane: one triangle from `hub` to each pair of neighbouring rim points."""
    for p, q in zip(rim, rim[1:]):
        add(layer, group, [hub, p, q])


def hull(points):
    """The convex hull of the points, for blobs drawn as one polygon."""
    pts = sorted(set((round(x), round(y)) for x, y in points))

    def half(seq):
        out = []
        for p in seq:
            while len(out) >= 2 and ((out[-1][0] - out[-2][0]) * (p[1] - out[-2][1]) -
                                     (out[-1][1] - out[-2][1]) * (p[0] - out[-2][0])) <= 0:
                out.pop()
            out.append(p)
        return out[:-1]
    return half(pts) + half(pts[::-1])


def lens(layer, group, a, b, width):
    """A highlight that swells from a point at a to its widest a third of the way and tapers to b."""
    (x0, y0), (x1, y1) = a, b
    length = math.hypot(x1 - x0, y1 - y0)
    nx, ny = -(y1 - y0) / length * width / 2, (x1 - x0) / length * width / 2
    m = lerp(a, b, 0.35)
    add(layer, group, [a, (m[0] + nx, m[1] + ny), b, (m[0] - nx, m[1] - ny)])


WRIST = (880, 549)      # the fingers spread from here; the long spar is one of them
ELBOW = (704, 618)
SHOULDER = (770, 712)
FINGER_TIPS = [(596, 512), (458, 590), (382, 709)]
FLANK = (600, 780)      # where the membrane meets the body, in front of the hips
NECK_CENTRE = [(802, 760), (806, 712), (822, 674), (846, 644), (872, 624), (892, 614)]
NECK_WIDTHS = [96, 74, 56, 44, 36, 30]
NECK_EDGES = sections_along(NECK_CENTRE, NECK_WIDTHS)
HORNS = [[(894, 582), (916, 575), (872, 566), (844, 568)], [(880, 598), (890, 588), (866, 588), (846, 596)]]


def oval(cx, cy, rx, ry, angle, count):
    """`count` points around an ellipse turned by `angle` degrees."""
    a = math.radians(angle)
    return [(cx + rx * math.cos(t) * math.cos(a) - ry * math.sin(t) * math.sin(a),
             cy + rx * math.cos(t) * math.sin(a) + ry * math.sin(t) * math.cos(a))
            for t in (2 * math.pi * k / count for k in range(count))]


def creature():
    """Layer 6: the black creature, facing the castle, its wing raised over its back."""
    C = 6
    add(C, "body: chest", [(753, 800), (767, 815), (746, 813), (738, 799)], fixed=True)

    g = "head: skull, snout, open jaw, horns swept back"
    add(C, g, [(878, 604), (892, 584), (920, 574), (948, 582), (948, 613), (918, 619), (890, 624)])
    add(C, g, [(948, 582), (972, 592), (993, 604), (988, 613), (948, 613)])
    add(C, g, [(912, 624), (936, 628), (983, 640), (978, 648), (934, 654), (906, 644)])
    add(C, g, hull([(890, 624), (918, 618), (912, 624), (906, 644), (894, 652)]))
    add(C, g, [(966, 590), (978, 595), (972, 580)])      # horn on the snout
    add(C, g, [(920, 652), (934, 654), (922, 666)])      # barb under the chin
    add(C, g, HORNS[0])
    add(C, g, HORNS[1])

    g = "neck, curving up from the chest and tapering to the head"
    neck = limb(C, g, NECK_CENTRE, NECK_WIDTHS)
    for i in (0, 1, 2, 3, 4):
        spike(C, "spine ridge", neck[i + 1][0], neck[i][0], 13 - abs(i - 2))

    g = "body: deep chest, belly, narrower hips"
    add(C, g, [(752, 716), (808, 718), (846, 760), (844, 830), (800, 872), (722, 842), (714, 774)])
    add(C, g, [(714, 774), (722, 842), (680, 862), (628, 856), (628, 760), (670, 748)])
    add(C, g, [(628, 760), (628, 856), (590, 850), (560, 830), (548, 800), (560, 774), (592, 762)])

    g = "tail, with the ridge along it"
    centre = [(566, 796), (520, 808), (470, 820), (420, 830), (370, 838), (320, 843), (270, 845), (222, 843),
              (180, 838), (146, 831), (120, 824)]
    tail = limb(C, g, centre, [48, 42, 36, 31, 27, 23, 19, 16, 13, 11, 9])
    add(C, g, [tail[-1][0], (93, 808), tail[-1][1]])
    for i in range(1, 8):
        spike(C, "spine ridge", tail[i + 1][0], tail[i][0], 13 - i)

    g = "front legs: upper arm, forearm, foot and claws"
    for dx, dy in ((-46, -8), (0, 0)):
        def at(p):
            return (p[0] + dx, p[1] + dy)
        limb(C, g, [at((790, 830)), at((778, 900)), at((800, 966))], [50, 32, 24])
        add(C, g, [at((788, 962)), at((812, 962)), at((846, 994)), at((842, 1004)), at((780, 1004))])
        for toe, tip in (((806, 1004), (828, 1015)), ((826, 1004), (856, 1012))):
            add(C, g, [at(toe), at((toe[0] + 16, 1004)), at(tip)])
        add(C, g, [at((780, 1004)), at((792, 1004)), at((772, 1012))])  # dewclaw
        spike(C, g, at((768, 900)), at((778, 920)), 8)  # spur behind the elbow

    g = "hind legs: thigh, shin, hock bent back, foot and claws"
    for dx, dy in ((-44, 0), (0, 0)):
        def at(p):
            return (p[0] + dx, p[1] + dy)
        add(C, g, hull(at(p) for p in oval(606, 840, 62, 42, 62, 6)))
        spike(C, g, at((600, 944)), at((612, 932)), 9)  # spur at the hock
        limb(C, g, [at((636, 876)), at((600, 944)), at((616, 972))], [38, 22, 20])
        add(C, g, [at((604, 968)), at((628, 968)), at((660, 996)), at((656, 1004)), at((598, 1004))])
        for toe, tip in (((620, 1004), (642, 1015)), ((640, 1004), (670, 1012))):
            add(C, g, [at(toe), at((toe[0] + 16, 1004)), at(tip)])
        add(C, g, [at((598, 1004)), at((610, 1004)), at((590, 1012))])  # dewclaw

    g = "wing: upper arm, forearm and thumb claw"
    limb(C, g, [SHOULDER, ELBOW], [26, 18])
    limb(C, g, [ELBOW, WRIST], [18, 11])
    add(C, g, [(873, 553), (888, 551), (884, 497)])
    g = "wing: membrane, its trailing edge curving in between the finger tips"
    rim = [FINGER_TIPS[0]] + scallop(FINGER_TIPS[0], FINGER_TIPS[1], WRIST, 0.26, 2) + [FINGER_TIPS[1]]
    rim += scallop(FINGER_TIPS[1], FINGER_TIPS[2], WRIST, 0.22, 2) + [FINGER_TIPS[2]]
    rim += scallop(FINGER_TIPS[2], FLANK, WRIST, 0.2, 5) + [FLANK]
    fan(C, g, WRIST, rim)
    add(C, g, [ELBOW, WRIST, FLANK])
    add(C, g, [SHOULDER, ELBOW, FLANK, (714, 774)])
    g = "wing: finger bones, standing out past the membrane"
    for tip in FINGER_TIPS[:2]:
        band(C, g, lerp(WRIST, tip, 0.03), lerp(WRIST, tip, 1.06), 8, 2)
    add(C, g, [(880, 549), (382, 709), (393, 700)], fixed=True)


def markings():
    """Layer 7: the cream markings: eye and brow, teeth, plates, and highlights on horns and bones."""
    M = 7
    add(M, "eye", [(941, 600), (940, 601), (939, 599)], fixed=True)
    g = "teeth"
    for x in (918, 926, 934, 941):
        add(M, g, [(x, 617), (x + 4, 617), (x + 2, 624)])
    for x in (920, 929, 938):
        add(M, g, [(x, 630), (x + 2, 624), (x + 5, 630)])
    g = "highlights on the horns"
    for (a, b, c, d) in HORNS:
        add(M, g, [lerp(a, b, 0.3), lerp(a, b, 0.7), lerp(b, c, 0.8)])
        add(M, g, [lerp(b, c, 0.85), lerp(b, c, 0.95), lerp(c, d, 0.7)])
    g = "cheek plate"
    add(M, g, [(896, 608), (903, 605), (908, 610), (906, 616), (899, 617), (895, 613)])
    g = "plates down the throat and chest"
    # Scales across the underside, from the chest up to the throat, each a little inside the
    # front edge and just apart from the next.
    front = [(845, 789), (846, 770)] + [b for _, b in NECK_EDGES[1:]]
    marks = [front[0]]
    for p, q in zip(front, front[1:]):
        steps = max(1, round(math.dist(p, q) / 14))
        marks += [lerp(p, q, k / steps) for k in range(1, steps + 1)]
    for k, (p, q) in enumerate(zip(marks, marks[1:])):
        a, b = lerp(p, q, 0.04), lerp(p, q, 0.96)
        length = math.dist(a, b)
        nx, ny = (b[1] - a[1]) / length, -(b[0] - a[0]) / length  # into the neck, away from the throat
        mid = lerp(a, b, 0.5)
        # The broad plates of the chest swell in the middle; those of the throat are plain bands.
        swell = [(mid[0] + nx * 10, mid[1] + ny * 10)] if k < 8 else []
        add(M, g, [(a[0] + nx * 4, a[1] + ny * 4), (b[0] + nx * 4, b[1] + ny * 4), (b[0] + nx * 8, b[1] + ny * 8)] +
            swell + [(a[0] + nx * 8, a[1] + ny * 8)])
    add(M, "highlight along the jaw", [(912, 633), (936, 636), (944, 640), (934, 640)])
    g = "knuckles of the wing"
    add(M, g, [(876, 552), (884, 548), (881, 557)])
    add(M, g, [(879, 550), (884, 549), (882, 541)])  # along the thumb claw
    add(M, g, [(700, 615), (708, 616), (703, 623)])
    g = "highlights along the wing's bones"
    # Along the outer halves of the fingers, where they stand free of the membrane's edge, and
    # along the leading edge: the forearm and the root of the first finger.
    lens(M, g, lerp(WRIST, FINGER_TIPS[1], 0.45), lerp(WRIST, FINGER_TIPS[1], 0.97), 3)
    lens(M, g, lerp(WRIST, (388, 705), 0.5), (434, 691), 3)
    lens(M, g, lerp((ELBOW[0], ELBOW[1] - 5), (WRIST[0], WRIST[1] - 3), 0.1), (WRIST[0] - 10, WRIST[1] - 6), 3)
    lens(M, g, (WRIST[0] - 6, WRIST[1] - 6), (838, 540), 2)
    add(M, "brow", [(922, 596), (900, 597), (908, 590), (921, 593)], fixed=True)


# ---------------------------------------------------------------- output
def table():
    names = {2: "2 grey bands of ground", 3: "3 castle, hill and foreground, dark", 4: "4 the castle's openings",
             6: "6 the creature", 7: "7 its cream markings"}
    out = []
    counts = {}
    for layer in (2, 3, 4, 6, 7):
        polys = layers[layer]
        counts[layer] = len(polys)
        out.append(f"\n    // {names[layer]}")
        group = None
        for g, pts in polys:
            if g != group:
                out.append(f"    // {g}")
                group = g
            vs = ", ".join(f"{{{x}, {y}}}" for x, y in pts)
            out.append(f"    {{{len(pts)}, {{{vs}}}}},")
        if layer == 4:
            out.append("\n    // 5 wash: the whole frame")
            out.append("    {4, {{0, 0}, {1920, 0}, {1920, 1080}, {0, 1080}}},")
    return counts, "\n".join(out)


HEADER = '''// The artwork: a castle on a hill over bands of ground, washed warm, and a dragon-like
// creature in front of it. One polygon per row, grouped by part of the scene, in drawing
// order. Written by tools/artwork.py; edit the shapes there and run it again.

#include "picture/picture.h"

alignas(16) const Layer pictureLayers[LayerCount] = {{
    //  R    G    B    A   blending primitive  polygons
    {{255, 255, 255, 255, false,    OneQuad,    1}},  // 1 white ground
    {{150, 150, 150, 255, false,    Polygons, {c2:3d}}},  // 2 grey bands of ground
    {{  0,   0,   0, 255, false,    Polygons, {c3:3d}}},  // 3 castle, hill and foreground, dark
    {{255, 255, 255, 255, false,    Polygons, {c4:3d}}},  // 4 the castle's openings
    {{255, 219, 163, 125, true,     OneQuad,    1}},  // 5 warm wash over the background
    {{  0,   0,   0, 255, false,    Polygons, {c6:3d}}},  // 6 the creature
    {{255, 237, 212, 255, false,    Polygons, {c7:3d}}},  // 7 its cream markings
}};

alignas(16) const Polygon picturePolygons[] = {{
    // 1 ground: the whole frame
    {{4, {{{{0, 0}}, {{1920, 0}}, {{1920, 1080}}, {{0, 1080}}}}}},'''

FOOTER = '''
};

const int picturePolygonCount = sizeof picturePolygons / sizeof picturePolygons[0];
'''


# The form of each polygon layer: {vertices: polygons}, and its extent (x0, y0, x1, y1).
WANT = {2: {3: 3, 4: 3, 5: 2, 6: 1}, 3: {3: 10, 4: 19, 5: 8, 6: 5}, 4: {3: 16, 4: 32, 5: 9, 6: 5, 7: 5, 8: 10},
        6: {3: 32, 4: 38, 5: 9, 6: 8, 7: 3}, 7: {3: 14, 4: 10, 5: 9, 6: 1}}
EXTENT = {2: (0, 700, 1686, 902), 3: (0, 148, 1920, 1080), 4: (1161, 222, 1866, 883), 6: (93, 497, 993, 1015),
          7: (434, 540, 945, 788)}

# The share of the render's pixels in each of the picture's tones: a colour, how far a pixel's
# channels may each stray from it, and the bounds of the share. Measured at both resolutions
# (black 0.059, brown 0.303, cream 0.584, grey 0.031); the bounds allow edits to the artwork
# but not a lost or misplaced part of the scene.
TONES = [("black", (0, 0, 0), 39, 0.04, 0.08),          # the creature, about a twentieth
         ("brown", (125, 107, 80), 14, 0.25, 0.36),     # layer-3 black under the wash: castle, hill, ground
         ("cream", (255, 237, 211), 8, 0.50, 0.66),     # white ground and openings under the wash, markings
         ("grey", (202, 184, 156), 10, 0.02, 0.045)]    # layer-2 grey under the wash: bands of ground


def form():
    """The text of picture/form.txt."""
    out = ["# The picture's form, written by tools/artwork.py with picture/artwork.cpp: edit it there.",
           "# layer N polygons P vertices V extent X0 Y0 X1 Y1 sizes VERTICES:POLYGONS ...",
           "# tone NAME R G B TOLERANCE LEAST MOST (the share of the render's pixels within TOLERANCE)"]
    for layer in (2, 3, 4, 6, 7):
        sizes = " ".join(f"{k}:{v}" for k, v in sorted(WANT[layer].items()))
        vertices = sum(k * v for k, v in WANT[layer].items())
        out.append(f"layer {layer} polygons {sum(WANT[layer].values())} vertices {vertices} "
                   f"extent {' '.join(map(str, EXTENT[layer]))} sizes {sizes}")
    for name, (r, g, b), tolerance, least, most in TONES:
        out.append(f"tone {name} {r} {g} {b} {tolerance} {least} {most}")
    return "\n".join(out) + "\n"


def report():
    """Prints what keeps the table from the picture's required form; returns how many problems."""
    want, extent = WANT, EXTENT
    problems = []
    for layer in (2, 3, 4, 6, 7):
        polys = layers[layer]
        have = {}
        for _, pts in polys:
            have[len(pts)] = have.get(len(pts), 0) + 1
        if have != want[layer]:
            problems.append(f"layer {layer}: polygon sizes {sorted(have.items())}, want {sorted(want[layer].items())}")
        xs = [x for _, p in polys for x, _ in p]
        ys = [y for _, p in polys for _, y in p]
        if (min(xs), min(ys), max(xs), max(ys)) != extent[layer]:
            problems.append(f"layer {layer}: extent {(min(xs), min(ys), max(xs), max(ys))}, want {extent[layer]}")
        for row in (0, len(polys) - 1):
            if (layer, row) not in fixed_rows:
                problems.append(f"layer {layer}: row {row} should be one of the given polygons")
        for g, pts in polys:
            turns = [(b[0] - a[0]) * (c[1] - b[1]) - (b[1] - a[1]) * (c[0] - b[0])
                     for a, b, c in zip(pts, pts[1:] + pts[:1], pts[2:] + pts[:2])]
            for fault, found in (("non-positive area", area2(pts) <= 0), ("repeated vertex", len(set(pts)) != len(pts)),
                                 ("not convex", any(t < 0 for t in turns)),
                                 ("outside the frame", any(not (0 <= x <= 1920 and 0 <= y <= 1080) for x, y in pts))):
                if found:
                    problems.append(f"layer {layer}, {g}: {fault}: {pts}")
    for problem in problems:
        print(problem, file=sys.stderr)
    return len(problems)


def main():
    background()
    creature()
    markings()
    for layer in (6, 7):
        balance(layer, WANT[layer], EXTENT[layer])
    counts, body = table()
    text = HEADER.format(c2=counts[2], c3=counts[3], c4=counts[4], c6=counts[6], c7=counts[7]) + body + FOOTER
    problems = report()
    files = {"picture/artwork.cpp": text, "picture/form.txt": form()}
    if "--check" in sys.argv:
        same = True
        for path, content in files.items():
            matches = open(path).read() == content
            print(path + (" is what this script writes" if matches else " differs from what this script writes"))
            same = same and matches
        sys.exit(0 if same and not problems else 1)
    if problems:
        sys.exit(f"picture/artwork.cpp not written: the picture breaks its form in {problems} places (above)")
    for path, content in files.items():
        open(path, "w").write(content)
        print("wrote " + path)


if __name__ == "__main__":
    main()
