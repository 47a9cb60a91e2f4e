#!/usr/bin/env python3
"""Writes picture/artwork.cpp, the picture's polygon table, from the shapes below.

Run from the repository root: python3 tools/artwork.py [--check]
With --check it only reports whether the committed table matches what this script makes.
Every polygon is written with positive signed area in design coordinates (clockwise on
screen); the script turns any it is given the other way round.
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


# Helpers for the creature: thin bands along a line and slices of an ellipse.
def band(layer, group, start, end, w0, w1):
    """A tapering strip from start (width w0) to end (width w1)."""
    (x0, y0), (x1, y1) = start, end
    length = math.hypot(x1 - x0, y1 - y0)
    nx, ny = -(y1 - y0) / length, (x1 - x0) / length
    add(layer, group, [(x0 + nx * w0 / 2, y0 + ny * w0 / 2), (x1 + nx * w1 / 2, y1 + ny * w1 / 2),
                       (x1 - nx * w1 / 2, y1 - ny * w1 / 2), (x0 - nx * w0 / 2, y0 - ny * w0 / 2)])


def ellipse_slice(layer, group, cx, cy, rx, ry, xa, xb, steps):
    """The part of an ellipse between x = xa and x = xb, with `steps` points on each arc."""
    def y_at(x):
        return ry * math.sqrt(max(0.0, 1 - ((x - cx) / rx) ** 2))
    xs = [xa + (xb - xa) * k / (steps - 1) for k in range(steps)]
    top = [(x, cy - y_at(x)) for x in xs]
    bottom = [(x, cy + y_at(x)) for x in reversed(xs)]
    pts = top + bottom
    dedup = []
    for p in pts:
        q = (round(p[0]), round(p[1]))
        if q not in dedup:
            dedup.append(q)
    add(layer, group, dedup)


def spike(layer, group, a, b, height):
    """A triangle on the segment a-b, pointing `height` units to its left (outwards on a top edge)."""
    (x0, y0), (x1, y1) = a, b
    length = math.hypot(x1 - x0, y1 - y0)
    nx, ny = (y1 - y0) / length, -(x1 - x0) / length
    mx, my = (x0 + x1) / 2, (y0 + y1) / 2
    add(layer, group, [a, b, (mx + nx * height, my + ny * height)])


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

# ---------------------------------------------------------------- layer 6: the creature
C = 6
add(C, "body", [(753, 800), (767, 815), (746, 813), (738, 799)], fixed=True)
g = "head: skull, jaw, snout, horns"
add(C, g, [(890, 592), (912, 582), (940, 578), (968, 588), (993, 608), (990, 616), (896, 620)])
add(C, g, [(904, 626), (944, 625), (946, 640), (912, 645)])
add(C, g, [(944, 625), (980, 624), (962, 636), (946, 640)])
add(C, g, [(944, 578), (964, 581), (986, 596), (972, 592)])
add(C, g, [(878, 596), (890, 588), (905, 600), (900, 630), (876, 620)])
add(C, g, [(896, 620), (930, 624), (924, 646), (904, 650), (892, 640), (890, 628)])
add(C, g, [(893, 592), (908, 584), (858, 532)])
add(C, g, [(908, 584), (926, 580), (884, 520)])
add(C, g, [(890, 588), (899, 584), (880, 560), (874, 566)])
add(C, g, [(909, 583), (917, 581), (900, 552), (894, 556)])
add(C, g, [(878, 600), (884, 626), (852, 616)])
g = "neck"
top = [(893, 592), (862, 600), (838, 616), (817, 637), (800, 660), (784, 684), (770, 708), (758, 730)]
bot = [(904, 636), (888, 660), (872, 684), (858, 708), (846, 732), (836, 754), (826, 774), (816, 792)]
for i in range(7):
    add(C, g, [top[i], top[i + 1], bot[i + 1], bot[i]])
for i in (1, 2, 3, 4):
    spike(C, "spikes along the neck", top[i], top[i + 1], 16)
g = "body"
add(C, g, [(766, 730), (812, 712), (842, 740), (846, 790), (812, 790)])
add(C, g, [(780, 712), (812, 700), (838, 724), (828, 748), (790, 736)])
ellipse_slice(C, g, 640, 775, 175, 68, 465, 585, 4)
ellipse_slice(C, g, 640, 775, 175, 68, 585, 700, 3)
ellipse_slice(C, g, 640, 775, 175, 68, 700, 815, 4)
add(C, g, [(760, 820), (812, 790), (846, 790), (836, 830), (780, 842), (758, 838)])
rect(C, g, 700, 830, 760, 846)
rect(C, g, 560, 832, 640, 848)
g = "wing: arm, thumb, finger tips and membrane"
add(C, g, [(772, 700), (872, 552), (888, 556), (800, 712)])
add(C, g, [(716, 722), (772, 700), (800, 712), (806, 728), (730, 730)])
add(C, g, [(872, 552), (884, 497), (892, 556)])
trail = [(393, 700), (420, 742), (486, 724), (540, 752), (604, 726), (660, 748), (716, 722), (772, 700)]
for a, b in zip(trail, trail[1:]):
    add(C, g, [(880, 549), a, b])
for tip in ((420, 742), (540, 752), (660, 748)):
    band(C, g, (880 + (tip[0] - 880) * 0.8, 549 + (tip[1] - 549) * 0.8), (tip[0] - 2, tip[1] + 8), 6, 3)
g = "front legs"
for dx, dy in ((-45, -4), (0, 0)):
    def at(x, y):
        return (x + dx, y + dy)
    add(C, g, [at(770, 800), at(815, 790), at(812, 860), at(780, 870)])
    add(C, g, [at(780, 866), at(798, 856), at(816, 860), at(822, 880), at(804, 892), at(784, 886)])
    add(C, g, [at(786, 884), at(820, 876), at(830, 950), at(800, 958)])
    add(C, g, [at(800, 955), at(830, 948), at(836, 968), at(804, 972)])
    add(C, g, [at(796, 966), at(836, 960), at(860, 990), at(856, 1006), at(798, 1006)])
    for cx, cy in ((846, 1004), (856, 998), (852, 990)):
        add(C, g, [at(cx - 8, cy), at(cx + 14, cy + 8 + (cx == 846) * 3), at(cx - 6, cy + 8)])
g = "hind legs"
for dx, dy in ((-60, -6), (0, 0)):
    def at(x, y):
        return (x + dx, y + dy)
    add(C, g, [at(500, 770), at(590, 758), at(626, 806), at(618, 870), at(570, 890), at(512, 842)])
    add(C, g, [at(572, 884), at(616, 866), at(606, 950), at(578, 958)])
    add(C, g, [at(576, 952), at(606, 946), at(612, 964), at(580, 968)])
    add(C, g, [at(562, 962), at(606, 956), at(632, 988), at(628, 1004), at(564, 1004)])
    for cx, cy in ((618, 1002), (628, 996), (624, 988)):
        add(C, g, [at(cx - 8, cy), at(cx + 14, cy + 8), at(cx - 6, cy + 8)])
g = "tail"
centre = [(490, 786), (440, 806), (390, 824), (340, 838), (290, 848), (240, 853), (195, 851), (155, 843),
          (125, 832), (108, 822)]
width = [50, 44, 38, 32, 27, 22, 18, 14, 11, 8]
add(C, g, [(470, 760), (500, 752), (520, 790), (500, 824), (470, 820), (460, 790)])
sections = []
for i, (x, y) in enumerate(centre):
    a = centre[max(i - 1, 0)]
    b = centre[min(i + 1, len(centre) - 1)]
    length = math.hypot(b[0] - a[0], b[1] - a[1])
    nx, ny = -(b[1] - a[1]) / length, (b[0] - a[0]) / length
    sections.append(((x - nx * width[i] / 2, y - ny * width[i] / 2), (x + nx * width[i] / 2, y + ny * width[i] / 2)))
for (t0, b0), (t1, b1) in zip(sections, sections[1:]):
    add(C, g, [t0, t1, b1, b0])
add(C, g, [(112, 818), (100, 800), (93, 826), (102, 846), (114, 828)])
for i in (1, 3, 5, 7):
    spike(C, "spikes along the tail", sections[i + 1][0], sections[i][0], 12 - i)
add(C, "wing: arm, thumb, finger tips and membrane", [(880, 549), (382, 709), (393, 700)], fixed=True)

# ---------------------------------------------------------------- layer 7: markings
M = 7
add(M, "eye", [(941, 600), (940, 601), (939, 599)], fixed=True)
g = "teeth"
for x in (921, 930, 939):
    add(M, g, [(x, 619), (x + 6, 619), (x + 3, 627)])
g = "horn and wing-joint highlights"
add(M, g, [(898, 586), (904, 583), (862, 540)])
add(M, g, [(912, 582), (918, 581), (886, 548)])
add(M, g, [(876, 556), (884, 553), (880, 566)])
add(M, g, [(780, 704), (792, 700), (788, 712)])
add(M, g, [(842, 606), (850, 600), (848, 612)])
g = "teeth"
for x in (925, 934):
    add(M, g, [(x, 628), (x + 3, 622), (x + 6, 628)])
g = "spurs along the wing's arm"
for t in (0.35, 0.6, 0.8):
    x, y = 772 + (872 - 772) * t, 700 + (552 - 700) * t
    add(M, g, [(x - 4, y - 3), (x + 4, y + 3), (x - 7, y + 6)])
g = "cheek plate"
add(M, g, [(886, 604), (896, 600), (902, 608), (900, 620), (890, 622), (884, 614)])
g = "belly plates"
for i in range(6):
    # A scute inside the neck's lower edge, shorter than its segment so that plates stay apart.
    (x0, y0), (x1, y1) = bot[i], bot[i + 1]
    ax, ay = x0 + (x1 - x0) * 0.18, y0 + (y1 - y0) * 0.18
    bx, by = x0 + (x1 - x0) * 0.82, y0 + (y1 - y0) * 0.82
    add(M, g, [(ax - 3, ay - 2), (bx - 3, by - 2), (bx - 9, by - 8), ((ax + bx) / 2 - 12, (ay + by) / 2 - 9),
               (ax - 9, ay - 8)])
add(M, g, [(806, 752), (826, 756), (824, 768), (812, 772), (802, 764)])
add(M, g, [(798, 774), (820, 776), (816, 784), (804, 788), (796, 782)])
add(M, g, [(812, 734), (832, 738), (830, 748), (818, 752), (808, 744)])
g = "lines along the wing"
for tip, stop in (((420, 742), 0.9693), ((486, 724), 0.9), ((540, 752), 0.85), ((604, 726), 0.8),
                  ((660, 748), 0.7), ((716, 722), 0.6)):
    end = (880 + (tip[0] - 880) * stop, 549 + (tip[1] - 549) * stop)
    band(M, g, (872 + (tip[0] - 880) * 0.06, 556 + (tip[1] - 549) * 0.06), end, 4, 2)
g = "highlights on the wing's spar and arm"
band(M, g, (860, 558), (520, 667), 3, 2)
band(M, g, (790, 690), (860, 585), 3, 2)
band(M, g, (800, 700), (866, 600), 2, 2)
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


def report():
    """Prints what keeps the table from the picture's required form; returns how many problems."""
    want = {2: {3: 3, 4: 3, 5: 2, 6: 1}, 3: {3: 10, 4: 19, 5: 8, 6: 5}, 4: {3: 16, 4: 32, 5: 9, 6: 5, 7: 5, 8: 10},
            6: {3: 32, 4: 38, 5: 9, 6: 8, 7: 3}, 7: {3: 14, 4: 10, 5: 9, 6: 1}}
    extent = {2: (0, 700, 1686, 902), 3: (0, 148, 1920, 1080), 4: (1161, 222, 1866, 883), 6: (93, 497, 993, 1015),
              7: (434, 540, 945, 788)}
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
    counts, body = table()
    text = HEADER.format(c2=counts[2], c3=counts[3], c4=counts[4], c6=counts[6], c7=counts[7]) + body + FOOTER
    problems = report()
    path = "picture/artwork.cpp"
    if "--check" in sys.argv:
        same = open(path).read() == text
        print(path + (" is what this script writes" if same else " differs from what this script writes"))
        sys.exit(0 if same and not problems else 1)
    open(path, "w").write(text)
    print("wrote " + path)
    sys.exit(1 if problems else 0)


main()
