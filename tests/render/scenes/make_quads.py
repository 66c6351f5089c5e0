#!/usr/bin/env python3
"""Writes quad.gltf and quad.glb: the green square of quad.obj, placed by
node transforms so that a loader that ignores them puts it elsewhere.

quad.gltf: the mesh spans 0..2 in x and y; its node moves it by -1,-1.
quad.glb:  the mesh spans 0..1; a child node, which holds the mesh, moves
           it by -0.5,-0.5 and its parent scales that by 2 (in the other
           order the square would span -0.5..1.5).
"""
import base64
import json
import struct


def buffer_bytes(low, high):
    positions = [(low, low, 0), (high, low, 0), (high, high, 0), (low, high, 0)]
    data = b"".join(struct.pack("<3f", *p) for p in positions)
    data += struct.pack("<6H", 0, 1, 2, 0, 2, 3)
    return data, positions


def document(low, high, nodes, scene_nodes, uri=None):
    data, positions = buffer_bytes(low, high)
    buffer = {"byteLength": len(data)}
    if uri is not None:
        buffer["uri"] = uri
    return data, {
        "asset": {"version": "2.0"},
        "scene": 0,
        "scenes": [{"nodes": scene_nodes}],
        "nodes": nodes,
        "meshes": [{"primitives": [{"attributes": {"POSITION": 0}, "indices": 1, "material": 0}]}],
        "materials": [{"pbrMetallicRoughness": {"baseColorFactor": [0.1, 0.8, 0.1, 1.0]}}],
        "buffers": [buffer],
        "bufferViews": [
            {"buffer": 0, "byteOffset": 0, "byteLength": 48},
            {"buffer": 0, "byteOffset": 48, "byteLength": 12},
        ],
        "accessors": [
            {"bufferView": 0, "componentType": 5126, "count": 4, "type": "VEC3",
             "min": [low, low, 0], "max": [high, high, 0]},
            {"bufferView": 1, "componentType": 5123, "count": 6, "type": "SCALAR"},
        ],
    }


def write_gltf():
    data, _ = buffer_bytes(0.0, 2.0)
    uri = "data:application/octet-stream;base64," + base64.b64encode(data).decode()
    _, doc = document(0.0, 2.0, [{"mesh": 0, "translation": [-1, -1, 0]}], [0], uri)
    with open("quad.gltf", "w") as f:
        json.dump(doc, f, indent=1)
        f.write("\n")


def padded(chunk, fill):
    return chunk + fill * (-len(chunk) % 4)


def write_glb():
    nodes = [{"scale": [2, 2, 2], "children": [1]}, {"mesh": 0, "translation": [-0.5, -0.5, 0]}]
    data, doc = document(0.0, 1.0, nodes, [0])
    json_chunk = padded(json.dumps(doc).encode(), b" ")
    bin_chunk = padded(data, b"\0")
    body = struct.pack("<II", len(json_chunk), 0x4E4F534A) + json_chunk
    body += struct.pack("<II", len(bin_chunk), 0x004E4942) + bin_chunk
    with open("quad.glb", "wb") as f:
        f.write(struct.pack("<III", 0x46546C67, 2, 12 + len(body)) + body)


write_gltf()
write_glb()
