#!/usr/bin/env python3
"""Writes colonnade.obj and colonnade.mtl: a paved court with two rows of
square pillars under a pergola of beams, a low parapet on each side and a
gridded back wall. Straight lines everywhere, so a lens's bending shows.
Units are metres; y is up and the court runs down -z."""

MATERIALS = {
    "stone": (0.75, 0.72, 0.66),
    "slate": (0.15, 0.16, 0.18),
    "terracotta": (0.70, 0.35, 0.20),
    "plaster": (0.30, 0.45, 0.65),
    "white": (0.90, 0.90, 0.88),
}

faces = {name: [] for name in MATERIALS}
vertices = []


def vertex(x, y, z):
    vertices.append((x, y, z))
    return len(vertices)  # OBJ counts from 1


def quad(material, *corners):
    faces[material].append([vertex(*c) for c in corners])


def box(material, low, high):
    (x0, y0, z0), (x1, y1, z1) = low, high
    quad(material, (x0, y0, z1), (x1, y0, z1), (x1, y1, z1), (x0, y1, z1))  # front
    quad(material, (x1, y0, z0), (x0, y0, z0), (x0, y1, z0), (x1, y1, z0))  # back
    quad(material, (x0, y0, z0), (x0, y0, z1), (x0, y1, z1), (x0, y1, z0))  # left
    quad(material, (x1, y0, z1), (x1, y0, z0), (x1, y1, z0), (x1, y1, z1))  # right
    quad(material, (x0, y1, z1), (x1, y1, z1), (x1, y1, z0), (x0, y1, z0))  # top
    quad(material, (x0, y0, z0), (x1, y0, z0), (x1, y0, z1), (x0, y0, z1))  # bottom


def paving():
    for i in range(-6, 6):
        for k in range(-16, 4):
            material = "stone" if (i + k) % 2 == 0 else "slate"
            quad(material, (i, 0, k + 1), (i + 1, 0, k + 1), (i + 1, 0, k), (i, 0, k))


def colonnade():
    rows = [2 - 3 * n for n in range(6)]
    for z in rows:
        for x in (-3.5, 3.5):
            box("stone", (x - 0.3, 0, z - 0.3), (x + 0.3, 4, z + 0.3))
        box("terracotta", (-3.8, 4, z - 0.2), (3.8, 4.4, z + 0.2))  # cross beam
    for x in (-3.5, 3.5):
        box("terracotta", (x - 0.3, 4.4, rows[-1] - 0.5), (x + 0.3, 4.7, rows[0] + 0.5))
    for x in range(-3, 4):
        box("white", (x - 0.05, 4.7, rows[-1] - 0.5), (x + 0.05, 4.8, rows[0] + 0.5))


def enclosure():
    for x in (-6.2, 6.0):
        box("plaster", (x, 0, -16), (x + 0.2, 1.0, 4))
    box("plaster", (-6.2, 0, -16.4), (6.2, 6, -16))
    for x in range(-6, 7, 2):
        box("white", (x - 0.08, 0, -16.0), (x + 0.08, 6, -15.9))
    for y in (1.5, 3.0, 4.5):
        box("white", (-6.2, y - 0.08, -16.0), (6.2, y + 0.08, -15.9))


paving()
colonnade()
enclosure()

with open("colonnade.mtl", "w") as mtl:
    mtl.write("# Materials of colonnade.obj, written by make_colonnade.py.\n")
    for name, (r, g, b) in MATERIALS.items():
        mtl.write(f"\nnewmtl {name}\nKd {r} {g} {b}\n")

with open("colonnade.obj", "w") as obj:
    obj.write("# A colonnade, written by make_colonnade.py.\nmtllib colonnade.mtl\n")
    obj.writelines(f"v {x:g} {y:g} {z:g}\n" for x, y, z in vertices)
    for name, quads in faces.items():
        obj.write(f"usemtl {name}\n")
        obj.writelines("f " + " ".join(map(str, q)) + "\n" for q in quads)
