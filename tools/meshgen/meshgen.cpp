// Demo mesh generator: box humanoids with bones and animation, missiles, a ground
// and a backdrop, written as text .x files.
#include "meshgen.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <fstream>

#include <stb_image_write.h>

#include "mesh/xmesh.h"

namespace meshgen {
namespace {

struct V {
    vm::Vec3 p, n;
    float u = 0, v = 0;
};

struct Geometry {
    std::vector<V> verts;
    std::vector<std::array<uint32_t, 3>> tris;
    std::vector<uint32_t> triMat;
};

struct MatDef {
    float rgba[4] = {1, 1, 1, 1};
    float power = 8;
    float specular[3] = {0.2f, 0.2f, 0.2f};
    float emis[3] = {0, 0, 0};
    std::string texture;
};

struct SkinDef {
    std::string bone;
    std::vector<uint32_t> idx;
    std::vector<float> w;
    vm::Matrix offset;
};

std::string F(float f) {
    char b[32];
    std::snprintf(b, sizeof b, "%.6f", double(f));
    return b;
}

std::string MatrixText(const vm::Matrix& m) {
    std::string s;
    for (int i = 0; i < 16; ++i) s += F(m.m[i / 4][i % 4]) + (i < 15 ? "," : ";;");
    return s;
}

// A box face split into seg x seg quads; Cross(a, b) is the outward normal.
void AddBoxFace(Geometry& g, vm::Vec3 o, vm::Vec3 A, vm::Vec3 B, vm::Vec3 n, int seg, uint32_t mat) {
    uint32_t base = uint32_t(g.verts.size());
    for (int j = 0; j <= seg; ++j)
        for (int i = 0; i <= seg; ++i) {
            float s = float(i) / seg, t = float(j) / seg;
            g.verts.push_back({o + A * s + B * t, n, s, 1.0f - t});
        }
    for (int j = 0; j < seg; ++j)
        for (int i = 0; i < seg; ++i) {
            uint32_t v00 = base + j * (seg + 1) + i, v10 = v00 + 1, v01 = v00 + (seg + 1), v11 = v01 + 1;
            g.tris.push_back({v00, v10, v11});
            g.tris.push_back({v00, v11, v01});
            g.triMat.push_back(mat);
            g.triMat.push_back(mat);
        }
}

void AddBox(Geometry& g, vm::Vec3 lo, vm::Vec3 hi, int seg, uint32_t mat) {
    vm::Vec3 X{1, 0, 0}, Y{0, 1, 0}, Z{0, 0, 1};
    vm::Vec3 c = (lo + hi) * 0.5f, h = (hi - lo) * 0.5f;
    struct Face { vm::Vec3 n, a, b; float hn, ha, hb; };
    const Face faces[6] = {
        {Z * -1.0f, Y, X, h.z, h.y, h.x}, {Z, X, Y, h.z, h.x, h.y}, {X * -1.0f, Z, Y, h.x, h.z, h.y},
        {X, Y, Z, h.x, h.y, h.z},         {Y * -1.0f, X, Z, h.y, h.x, h.z}, {Y, Z, X, h.y, h.z, h.x},
    };
    for (const Face& f : faces) {
        vm::Vec3 o = c + f.n * f.hn - f.a * f.ha - f.b * f.hb;
        AddBoxFace(g, o, f.a * (2 * f.ha), f.b * (2 * f.hb), f.n, seg, mat);
    }
}

// Triangles whose winding disagrees with `outward(centroid)` are turned round.
template <class Fn>
void OrientTriangles(Geometry& g, Fn outward) {
    for (auto& t : g.tris) {
        vm::Vec3 a = g.verts[t[0]].p, b = g.verts[t[1]].p, c = g.verts[t[2]].p;
        vm::Vec3 n = vm::Cross(b - a, c - a);
        if (vm::Dot(n, outward((a + b + c) * (1.0f / 3))) < 0) std::swap(t[1], t[2]);
    }
}

void AddSphere(Geometry& g, float r, int rings, int sectors, float jitter, uint32_t mat) {
    uint32_t base = uint32_t(g.verts.size());
    for (int i = 0; i <= rings; ++i)
        for (int j = 0; j <= sectors; ++j) {
            float th = 3.14159265f * i / rings, ph = 2 * 3.14159265f * j / sectors;
            vm::Vec3 n{std::sin(th) * std::cos(ph), std::cos(th), std::sin(th) * std::sin(ph)};
            // A fixed pattern of bumps (the seam and the poles keep the radius).
            float k = (j == 0 || j == sectors || i == 0 || i == rings) ? 0.0f
                                                                        : jitter * std::sin(float(i * 7 + j * 13));
            g.verts.push_back({n * (r * (1 + k)), n, float(j) / sectors, float(i) / rings});
        }
    for (int i = 0; i < rings; ++i)
        for (int j = 0; j < sectors; ++j) {
            uint32_t a = base + i * (sectors + 1) + j, b = a + 1, c = a + (sectors + 1), d = c + 1;
            if (i != 0) { g.tris.push_back({a, b, d}); g.triMat.push_back(mat); }
            if (i != rings - 1) { g.tris.push_back({a, d, c}); g.triMat.push_back(mat); }
        }
    OrientTriangles(g, [](vm::Vec3 p) { return p; });
}

std::string Templates() {
    return R"(template Header {
 <3d82ab43-62da-11cf-ab39-0020af71e433>
 WORD major;
 WORD minor;
 DWORD flags;
}

template Vector {
 <3d82ab5e-62da-11cf-ab39-0020af71e433>
 FLOAT x;
 FLOAT y;
 FLOAT z;
}

template Coords2d {
 <f6f23f44-7686-11cf-8f52-0040333594a3>
 FLOAT u;
 FLOAT v;
}

template Matrix4x4 {
 <f6f23f45-7686-11cf-8f52-0040333594a3>
 array FLOAT matrix[16];
}

template ColorRGBA {
 <35ff44e0-6c7c-11cf-8f52-0040333594a3>
 FLOAT red;
 FLOAT green;
 FLOAT blue;
 FLOAT alpha;
}

template ColorRGB {
 <d3e16e81-7835-11cf-8f52-0040333594a3>
 FLOAT red;
 FLOAT green;
 FLOAT blue;
}

template MeshFace {
 <3d82ab5f-62da-11cf-ab39-0020af71e433>
 DWORD nFaceVertexIndices;
 array DWORD faceVertexIndices[nFaceVertexIndices];
}

template Mesh {
 <3d82ab44-62da-11cf-ab39-0020af71e433>
 DWORD nVertices;
 array Vector vertices[nVertices];
 DWORD nFaces;
 array MeshFace faces[nFaces];
 [...]
}

template Frame {
 <3d82ab46-62da-11cf-ab39-0020af71e433>
 [...]
}

template SkinWeights {
 <6f0d123b-bad2-4167-a0d0-80224f25fabb>
 STRING transformNodeName;
 DWORD nWeights;
 array DWORD vertexIndices[nWeights];
 array FLOAT weights[nWeights];
 Matrix4x4 matrixOffset;
}

)";
}

std::string MeshText(const std::string& name, const Geometry& g, const std::vector<MatDef>& mats,
                     const std::vector<SkinDef>& skins, bool normals, const std::string& pad) {
    std::string s = pad + "Mesh " + name + " {\n";
    s += pad + " " + std::to_string(g.verts.size()) + ";\n";
    for (size_t i = 0; i < g.verts.size(); ++i) {
        const V& v = g.verts[i];
        s += pad + " " + F(v.p.x) + ";" + F(v.p.y) + ";" + F(v.p.z) + ";" + (i + 1 < g.verts.size() ? "," : ";") + "\n";
    }
    s += pad + " " + std::to_string(g.tris.size()) + ";\n";
    auto faceList = [&](std::string& out) {
        for (size_t i = 0; i < g.tris.size(); ++i)
            out += pad + " 3;" + std::to_string(g.tris[i][0]) + "," + std::to_string(g.tris[i][1]) + "," +
                   std::to_string(g.tris[i][2]) + ";" + (i + 1 < g.tris.size() ? "," : ";") + "\n";
    };
    faceList(s);
    if (normals) {
        s += pad + " MeshNormals {\n" + pad + "  " + std::to_string(g.verts.size()) + ";\n";
        for (size_t i = 0; i < g.verts.size(); ++i) {
            const V& v = g.verts[i];
            s += pad + "  " + F(v.n.x) + ";" + F(v.n.y) + ";" + F(v.n.z) + ";" + (i + 1 < g.verts.size() ? "," : ";") + "\n";
        }
        s += pad + "  " + std::to_string(g.tris.size()) + ";\n";
        faceList(s);
        s += pad + " }\n";
    }
    s += pad + " MeshTextureCoords {\n" + pad + "  " + std::to_string(g.verts.size()) + ";\n";
    for (size_t i = 0; i < g.verts.size(); ++i)
        s += pad + "  " + F(g.verts[i].u) + ";" + F(g.verts[i].v) + ";" + (i + 1 < g.verts.size() ? "," : ";") + "\n";
    s += pad + " }\n";
    s += pad + " MeshMaterialList {\n" + pad + "  " + std::to_string(mats.size()) + ";\n" + pad + "  " +
         std::to_string(g.triMat.size()) + ";\n";
    for (size_t i = 0; i < g.triMat.size(); ++i)
        s += pad + "  " + std::to_string(g.triMat[i]) + (i + 1 < g.triMat.size() ? "," : ";") + "\n";
    for (const MatDef& m : mats) {
        s += pad + "  Material {\n" + pad + "   " + F(m.rgba[0]) + ";" + F(m.rgba[1]) + ";" + F(m.rgba[2]) + ";" +
             F(m.rgba[3]) + ";;\n" + pad + "   " + F(m.power) + ";\n" + pad + "   " + F(m.specular[0]) + ";" +
             F(m.specular[1]) + ";" + F(m.specular[2]) + ";;\n" + pad + "   " + F(m.emis[0]) + ";" + F(m.emis[1]) + ";" +
             F(m.emis[2]) + ";;\n";
        if (!m.texture.empty()) s += pad + "   TextureFilename {\n" + pad + "    \"" + m.texture + "\";\n" + pad + "   }\n";
        s += pad + "  }\n";
    }
    s += pad + " }\n";
    if (!skins.empty()) {
        s += pad + " XSkinMeshHeader {\n" + pad + "  2;\n" + pad + "  4;\n" + pad + "  " + std::to_string(skins.size()) +
             ";\n" + pad + " }\n";
        for (const SkinDef& k : skins) {
            s += pad + " SkinWeights {\n" + pad + "  \"" + k.bone + "\";\n" + pad + "  " + std::to_string(k.idx.size()) +
                 ";\n" + pad + "  ";
            for (size_t i = 0; i < k.idx.size(); ++i) s += std::to_string(k.idx[i]) + (i + 1 < k.idx.size() ? "," : "");
            s += ";\n" + pad + "  ";
            for (size_t i = 0; i < k.w.size(); ++i) s += F(k.w[i]) + (i + 1 < k.w.size() ? "," : "");
            s += ";\n" + pad + "  " + MatrixText(k.offset) + "\n" + pad + " }\n";
        }
    }
    s += pad + "}\n";
    return s;
}

std::string StaticFile(const std::string& name, const Geometry& g, const std::vector<MatDef>& mats) {
    std::string s = "xof 0303txt 0032\n" + Templates();
    s += "Header {\n 1;\n 0;\n 1;\n}\n\n";
    s += "Frame " + name + " {\n FrameTransformMatrix {\n  " + MatrixText(vm::Identity()) + "\n }\n";
    s += MeshText(name + "Mesh", g, mats, {}, true, " ");
    s += "}\n";
    return s;
}

MatDef Textured(const std::string& tex, float r = 1, float gg = 1, float b = 1) {
    MatDef m;
    m.rgba[0] = r;
    m.rgba[1] = gg;
    m.rgba[2] = b;
    m.texture = tex;
    return m;
}

struct BoneSpec {
    const char* name;
    int parent;
    vm::Vec3 joint, lo, hi;
};
const BoneSpec kBones[] = {
    {"Hips", -1, {0, 0.9f, 0}, {-0.2f, 0.78f, -0.12f}, {0.2f, 1.0f, 0.12f}},
    {"Spine", 0, {0, 1.0f, 0}, {-0.25f, 1.0f, -0.14f}, {0.25f, 1.5f, 0.14f}},
    {"Head", 1, {0, 1.5f, 0}, {-0.12f, 1.5f, -0.12f}, {0.12f, 1.78f, 0.12f}},
    {"ArmL", 1, {-0.32f, 1.45f, 0}, {-0.4f, 0.95f, -0.06f}, {-0.27f, 1.45f, 0.06f}},
    {"ArmR", 1, {0.32f, 1.45f, 0}, {0.27f, 0.95f, -0.06f}, {0.4f, 1.45f, 0.06f}},
    {"LegL", 0, {-0.11f, 0.8f, 0}, {-0.19f, 0.0f, -0.08f}, {-0.03f, 0.8f, 0.08f}},
    {"LegR", 0, {0.11f, 0.8f, 0}, {0.03f, 0.0f, -0.08f}, {0.19f, 0.8f, 0.08f}},
};
constexpr int kNumBones = 7;

std::string RotKey(int t, vm::Quat q) {
    // Rotation keys hold w, x, y, z of the inverse rotation.
    return std::to_string(t) + ";4;" + F(q.w) + "," + F(-q.x) + "," + F(-q.y) + "," + F(-q.z) + ";;";
}

}  // namespace

int HumanoidTriangles(int segments) { return kNumBones * 12 * segments * segments; }

std::string HumanoidX(const HumanoidOptions& o) {
    const float sc = o.scale;
    const int seg = std::max(1, o.segments);
    Geometry g;
    std::vector<int> boneOf;  // per vertex
    for (int b = 0; b < kNumBones; ++b) {
        AddBox(g, kBones[b].lo * sc, kBones[b].hi * sc, seg, b == 2 ? 1u : 0u);
        boneOf.resize(g.verts.size(), b);
    }
    // Weights: vertices at a joint are shared 60/40 with the parent bone.
    std::vector<SkinDef> skins(kNumBones);
    for (int b = 0; b < kNumBones; ++b) {
        skins[b].bone = kBones[b].name;
        vm::Vec3 j = kBones[b].joint * sc;
        skins[b].offset = vm::Translation(-j.x, -j.y, -j.z);
    }
    for (uint32_t v = 0; v < g.verts.size(); ++v) {
        int b = boneOf[v];
        int p = kBones[b].parent;
        bool atJoint = p >= 0 && std::fabs(g.verts[v].p.y - kBones[b].joint.y * sc) < 0.06f * sc;
        skins[b].idx.push_back(v);
        skins[b].w.push_back(atJoint ? 0.6f : 1.0f);
        if (atJoint) {
            skins[p].idx.push_back(v);
            skins[p].w.push_back(0.4f);
        }
    }
    std::vector<MatDef> mats(2);
    mats[0] = Textured(o.texture, o.bodyColor[0], o.bodyColor[1], o.bodyColor[2]);
    mats[0].rgba[3] = o.bodyColor[3];
    for (int i = 0; i < 4; ++i) mats[1].rgba[i] = o.headColor[i];

    std::string s = "xof 0303txt 0032\n" + Templates();
    s += "Header {\n 1;\n 0;\n 1;\n}\n\n";
    if (o.animation) s += "AnimTicksPerSecond {\n 4800;\n}\n\n";
    s += "Frame Root {\n FrameTransformMatrix {\n  " + MatrixText(vm::Identity()) + "\n }\n";
    s += " Frame Mesh {\n  FrameTransformMatrix {\n   " + MatrixText(vm::Identity()) + "\n  }\n";
    s += MeshText("Body", g, mats, skins, o.normals, "  ");
    s += " }\n";
    // The bone frames, nested by parent.
    std::function<void(int, const std::string&)> frame = [&](int b, const std::string& pad) {
        vm::Vec3 j = kBones[b].joint * sc;
        vm::Vec3 pj = kBones[b].parent >= 0 ? kBones[kBones[b].parent].joint * sc : vm::Vec3{0, 0, 0};
        s += pad + "Frame " + kBones[b].name + " {\n" + pad + " FrameTransformMatrix {\n" + pad + "  " +
             MatrixText(vm::Translation(j.x - pj.x, j.y - pj.y, j.z - pj.z)) + "\n" + pad + " }\n";
        for (int c = 0; c < kNumBones; ++c)
            if (kBones[c].parent == b) frame(c, pad + " ");
        s += pad + "}\n";
    };
    frame(0, " ");
    s += "}\n\n";
    if (o.animation) {
        const int times[5] = {0, 1200, 2400, 3600, 4800};
        const float swing[5] = {0, 0.5f, 0, -0.5f, 0};
        s += "AnimationSet Anim {\n";
        auto rotAnim = [&](const char* bone, float k) {
            s += " Animation {\n  { " + std::string(bone) + " }\n  AnimationKey {\n   0;\n   5;\n";
            for (int i = 0; i < 5; ++i)
                s += "   " + RotKey(times[i], vm::QuatRotationAxis({1, 0, 0}, swing[i] * k)) + (i < 4 ? "," : ";") + "\n";
            s += "  }\n }\n";
        };
        rotAnim("LegL", 1.0f);
        rotAnim("LegR", -1.0f);
        rotAnim("ArmL", -0.8f);
        rotAnim("ArmR", 0.8f);
        s += " Animation {\n  { Hips }\n  AnimationKey {\n   2;\n   5;\n";
        const float bob[5] = {0, 0.05f, 0, 0.05f, 0};
        for (int i = 0; i < 5; ++i)
            s += "   " + std::to_string(times[i]) + ";3;" + F(0) + "," + F((0.9f + bob[i]) * sc) + "," + F(0) + ";;" +
                 (i < 4 ? "," : ";") + "\n";
        s += "  }\n }\n}\n";
    }
    return s;
}

std::string ArrowX(float length, const std::string& texture) {
    Geometry g;
    float h = length / 2;
    AddBox(g, {-0.02f, -0.02f, -h + 0.1f * length}, {0.02f, 0.02f, h}, 1, 0);
    AddBox(g, {-0.05f, -0.05f, -h}, {0.05f, 0.05f, -h + 0.1f * length}, 1, 1);
    MatDef head;
    head.rgba[0] = head.rgba[1] = head.rgba[2] = 0.7f;
    return StaticFile("Missile", g, {Textured(texture), head});
}

std::string SwordX(const std::string& texture) {
    Geometry g;
    AddBox(g, {-0.03f, -0.15f, -0.03f}, {0.03f, 0.0f, 0.03f}, 1, 1);
    AddBox(g, {-0.12f, 0.0f, -0.03f}, {0.12f, 0.04f, 0.03f}, 1, 1);
    AddBox(g, {-0.04f, 0.04f, -0.01f}, {0.04f, 0.9f, 0.01f}, 1, 0);
    MatDef grip;
    grip.rgba[0] = 0.4f;
    grip.rgba[1] = 0.25f;
    grip.rgba[2] = 0.1f;
    return StaticFile("Sword", g, {Textured(texture), grip});
}

std::string BallX(float radius, const std::string& texture) {
    Geometry g;
    AddSphere(g, radius, 8, 12, 0.0f, 0);
    return StaticFile("Ball", g, {Textured(texture)});
}

std::string RockX(float radius, const std::string& texture) {
    Geometry g;
    AddSphere(g, radius, 5, 7, 0.18f, 0);
    return StaticFile("Rock", g, {Textured(texture, 0.8f, 0.75f, 0.7f)});
}

std::string GroundX(float size, const std::string& texture) {
    Geometry g;
    float h = size / 2;
    AddBoxFace(g, {-h, 0, -h}, {0, 0, size}, {size, 0, 0}, {0, 1, 0}, 4, 0);
    for (auto& v : g.verts) {
        v.u *= 8;
        v.v *= 8;
    }
    return StaticFile("Ground", g, {Textured(texture)});
}

std::string BackdropX(float radius, float height, const std::string& texture) {
    Geometry g;
    const int n = 24;
    for (int i = 0; i <= n; ++i) {
        float a = 2 * 3.14159265f * i / n;
        vm::Vec3 d{std::cos(a), 0, std::sin(a)};
        g.verts.push_back({d * radius + vm::Vec3{0, height, 0}, d * -1.0f, 4.0f * i / n, 0});
        g.verts.push_back({d * radius + vm::Vec3{0, -1.0f, 0}, d * -1.0f, 4.0f * i / n, 1});
    }
    for (uint32_t i = 0; i < n; ++i) {
        uint32_t a = 2 * i, b = a + 1, c = a + 2, d = a + 3;
        g.tris.push_back({a, c, d});
        g.tris.push_back({a, d, b});
        g.triMat.push_back(0);
        g.triMat.push_back(0);
    }
    OrientTriangles(g, [](vm::Vec3 p) { return vm::Vec3{-p.x, 0, -p.z}; });  // seen from inside
    MatDef m = Textured(texture);
    m.emis[0] = m.emis[1] = m.emis[2] = 0.6f;
    return StaticFile("Backdrop", g, {m});
}

std::string ToBinaryX(const std::string& text) {
    xmesh::XFile f;
    if (FAILED(xmesh::ParseXFile(text.data(), text.size(), f))) return {};
    return xmesh::WriteXFile(f, true);
}

// Only the two colours, edge texels included: the ground and the sky repeat their
// picture, and a darker rim would show as a grid on the ground and a band down the sky.
bool WriteCheckerPng(const std::string& path, int size, uint32_t a, uint32_t b, int cells) {
    std::vector<uint8_t> rgba(size_t(size) * size * 4);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            uint32_t c = (((x * cells / size) + (y * cells / size)) & 1) ? b : a;
            uint8_t* p = &rgba[(size_t(y) * size + x) * 4];
            p[0] = uint8_t(c >> 16);
            p[1] = uint8_t(c >> 8);
            p[2] = uint8_t(c);
            p[3] = uint8_t(c >> 24);
        }
    return stbi_write_png(path.c_str(), size, size, 4, rgba.data(), size * 4) != 0;
}

int GenerateGameMeshes(const std::string& gameDir) {
    namespace fs = std::filesystem;
    fs::path dir = fs::path(gameDir) / "model";
    std::error_code ec;
    fs::create_directories(dir, ec);
    int written = 0;
    auto put = [&](const std::string& name, const std::string& data) {
        std::ofstream f(dir / name, std::ios::binary);
        f << data;
        if (!f) return false;
        ++written;
        return true;
    };
    auto png = [&](const std::string& name, uint32_t a, uint32_t b, int cells) {
        if (!WriteCheckerPng((dir / name).string(), 64, a, b, cells)) return false;
        ++written;
        return true;
    };
    struct Unit { const char* file; uint32_t a, b; };
    const Unit units[] = {
        {"light_armor2", 0xFF8090B0, 0xFF606880}, {"heavy_armor", 0xFF707880, 0xFF505058},
        {"archer", 0xFF50A050, 0xFF307030},       {"knight", 0xFFB0B0C0, 0xFF8080A0},
        {"arch_knight", 0xFF90B070, 0xFF608040},  {"magi", 0xFF8050C0, 0xFF603090},
        {"sugent", 0xFFC09050, 0xFF906030},       {"HeroKnight", 0xFF3060D0, 0xFFE0C040},
        {"surgent_bow", 0xFFA08040, 0xFF706020},  {"HeroBowKnight", 0xFF40A0D0, 0xFFE0C040},
        {"velgor", 0xFF402020, 0xFF801010},       {"wizard", 0xFF6040A0, 0xFFC0C0E0},
        {"wizard_horse", 0xFF6040A0, 0xFF806040}, {"magi_horse", 0xFF8050C0, 0xFF806040},
        {"furfur", 0xFFC03020, 0xFF401010},       {"spearman", 0xFF909060, 0xFF606040},
    };
    bool ok = true;
    for (const Unit& u : units) {
        HumanoidOptions o;
        std::string file = u.file;
        // The dark lord's mask: the masked face is the mesh's own texture, the bare
        // face ("velgor.png") replaces it later in the story.
        o.texture = file == "velgor" ? "velgor_hukumen2.png" : file + ".png";
        ok = ok && put(file + ".x", HumanoidX(o)) && png(o.texture, u.a, u.b, 4);
        if (file == "velgor") ok = ok && png("velgor.png", 0xFFE0B090, 0xFF801010, 4);
    }
    ok = ok && put("arrow.x", ArrowX(0.8f, "arrow_tex.png")) && png("arrow_tex.png", 0xFF906030, 0xFF704020, 2);
    ok = ok && put("spear.x", ArrowX(1.6f, "spear_tex.png")) && png("spear_tex.png", 0xFFA0A0A0, 0xFF606060, 2);
    ok = ok && put("sword.x", SwordX("sword_tex.png")) && png("sword_tex.png", 0xFFE0E0F0, 0xFFB0B0C0, 2);
    ok = ok && put("ball.x", BallX(0.3f, "ball_tex.png")) && png("ball_tex.png", 0xFFFF8020, 0xFFFFD040, 4);
    ok = ok && put("rock1.x", RockX(0.125f, "rock_tex.png")) && png("rock_tex.png", 0xFF807060, 0xFF605040, 8);
    ok = ok && put("field1_gnd.x", GroundX(60, "ground1.png")) && png("ground1.png", 0xFF508040, 0xFF407030, 8);
    ok = ok && put("field2_gnd.x", GroundX(60, "ground2.png")) && png("ground2.png", 0xFFA09060, 0xFF807040, 8);
    ok = ok && put("field1_BG.x", BackdropX(28, 14, "sky1.png")) && png("sky1.png", 0xFF80B0F0, 0xFF90C0F8, 2);
    ok = ok && put("field2_BG.x", BackdropX(28, 14, "sky2.png")) && png("sky2.png", 0xFFF0B080, 0xFFF8C090, 2);
    return ok ? written : -1;
}

}  // namespace meshgen
