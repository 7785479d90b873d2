// Building a frame hierarchy, its meshes, skins and animation from a parsed .x file.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <unordered_map>

#include "mesh/xmesh.h"

namespace xmesh {

namespace {

struct LoadError {
    std::string what;
};

// Sequential reader over an object's flat value list.
class Values {
public:
    Values(const XObject& o) : o_(o) {}
    size_t Left() const { return o_.values.size() - i_; }
    double Number(const char* what) {
        if (i_ >= o_.values.size() || o_.values[i_].isString)
            throw LoadError{o_.type + ": " + what + " missing"};
        return o_.values[i_++].number;
    }
    uint32_t Count(const char* what, size_t perItem) {
        double d = Number(what);
        if (d < 0 || d != std::floor(d) || d > 0x7FFFFFFF) throw LoadError{o_.type + ": bad " + what};
        uint32_t n = uint32_t(d);
        if (perItem > 0 && size_t(n) > Left() / perItem) throw LoadError{o_.type + ": " + what + " larger than the data"};
        return n;
    }
    float Float(const char* what) { return float(Number(what)); }
    std::string String(const char* what) {
        if (i_ >= o_.values.size() || !o_.values[i_].isString) throw LoadError{o_.type + ": " + what + " missing"};
        return o_.values[i_++].text;
    }

private:
    const XObject& o_;
    size_t i_ = 0;
};

vm::Matrix ReadMatrix(Values& v, const char* what) {
    vm::Matrix m;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) m.m[r][c] = v.Float(what);
    return m;
}

// ".x" rotation keys hold (w, x, y, z) of the inverse rotation; the frame matrices
// want the rotation itself.
vm::Quat QuatFromFile(float w, float x, float y, float z) { return vm::Quat(-x, -y, -z, w); }

class Loader {
public:
    Loader(const XFile& file, uint32_t options, gfx::Device* device, AllocateHierarchy* alloc)
        : file_(file), options_(options), device_(device), alloc_(alloc) {
        for (const auto& o : file.objects) IndexNames(*o);
    }

    void IndexNames(const XObject& o) {
        if (!o.name.empty() && !named_.count(o.name)) named_[o.name] = &o;
        for (const auto& c : o.children)
            if (c.object) IndexNames(*c.object);
    }

    const XObject* Resolve(const XObject::Child& c) const {
        if (c.object) return c.object.get();
        auto it = named_.find(c.reference);
        return it == named_.end() ? nullptr : it->second;
    }

    // Appends `f` to a sibling chain that starts at `head`.
    static void Append(Frame*& head, Frame* f) {
        Frame** p = &head;
        while (*p) p = &(*p)->pFrameSibling;
        *p = f;
    }

    Frame* NewFrame(const std::string& name) {
        Frame* f = nullptr;
        HRESULT hr = alloc_->CreateFrame(name.empty() ? nullptr : name.c_str(), &f);
        if (FAILED(hr) || !f) throw LoadError{"frame \"" + name + "\" could not be created", };
        return f;
    }

    // Builds the frame into `parentChain` first so that a failure below frees it.
    void BuildFrame(const XObject& o, Frame*& chain, int depth) {
        Frame* f = NewFrame(o.name);
        Append(chain, f);
        for (const auto& c : o.children) {
            const XObject* child = Resolve(c);
            if (!child) throw LoadError{"Frame \"" + o.name + "\": unknown reference \"" + c.reference + "\""};
            if (child->type == "FrameTransformMatrix") {
                Values v(*child);
                f->TransformationMatrix = ReadMatrix(v, "matrix");
            } else if (child->type == "Frame") {
                if (!c.object) continue;  // a reference to a frame is no part of the tree
                BuildFrame(*child, f->pFrameFirstChild, depth + 1);
            } else if (child->type == "Mesh") {
                MeshContainer* mc = BuildMesh(*child);
                MeshContainer** p = &f->pMeshContainer;
                while (*p) p = &(*p)->pNextMeshContainer;
                *p = mc;
            }
        }
    }

    MeshContainer* BuildMesh(const XObject& o) {
        Values v(o);
        const std::string label = "Mesh \"" + o.name + "\": ";
        uint32_t nPos = v.Count("nVertices", 3);
        std::vector<vm::Vec3> pos(nPos);
        for (auto& p : pos) p = {v.Float("vertex"), v.Float("vertex"), v.Float("vertex")};
        uint32_t nFaces = v.Count("nFaces", 1);
        std::vector<std::vector<uint32_t>> faces(nFaces);
        for (auto& f : faces) {
            uint32_t n = v.Count("face size", 1);
            if (n < 3) throw LoadError{label + "a face has fewer than three corners"};
            f.resize(n);
            for (auto& i : f) {
                double d = v.Number("face index");
                if (d < 0 || d >= nPos) throw LoadError{label + "face index out of range"};
                i = uint32_t(d);
            }
        }

        const XObject *normalsObj = nullptr, *uvObj = nullptr, *colorsObj = nullptr, *matListObj = nullptr;
        std::vector<const XObject*> skinObjs;
        for (const auto& c : o.children) {
            const XObject* child = Resolve(c);
            if (!child) throw LoadError{label + "unknown reference \"" + c.reference + "\""};
            if (child->type == "MeshNormals") normalsObj = child;
            else if (child->type == "MeshTextureCoords") uvObj = child;
            else if (child->type == "MeshVertexColors") colorsObj = child;
            else if (child->type == "MeshMaterialList") matListObj = child;
            else if (child->type == "SkinWeights") skinObjs.push_back(child);
        }

        // Normals, indexed per face corner.
        std::vector<vm::Vec3> normals;
        std::vector<std::vector<uint32_t>> faceNormals;
        if (normalsObj) {
            Values nv(*normalsObj);
            uint32_t n = nv.Count("nNormals", 3);
            normals.resize(n);
            for (auto& x : normals) x = {nv.Float("normal"), nv.Float("normal"), nv.Float("normal")};
            uint32_t nf = nv.Count("nFaceNormals", 1);
            if (nf != nFaces) throw LoadError{label + "normal faces do not match the faces"};
            faceNormals.resize(nf);
            for (uint32_t f = 0; f < nf; ++f) {
                uint32_t k = nv.Count("face size", 1);
                if (k != faces[f].size()) throw LoadError{label + "normal face sizes do not match the faces"};
                faceNormals[f].resize(k);
                for (auto& i : faceNormals[f]) {
                    double d = nv.Number("normal index");
                    if (d < 0 || d >= n) throw LoadError{label + "normal index out of range"};
                    i = uint32_t(d);
                }
            }
        }
        std::vector<float> uv;
        if (uvObj) {
            Values tv(*uvObj);
            uint32_t n = tv.Count("nTextureCoords", 2);
            if (n < nPos) throw LoadError{label + "fewer texture coordinates than vertices"};
            uv.resize(size_t(nPos) * 2);
            for (auto& x : uv) x = tv.Float("texture coordinate");
        }
        std::vector<uint32_t> colors;
        if (colorsObj) {
            Values cv(*colorsObj);
            uint32_t n = cv.Count("nVertexColors", 5);
            colors.assign(nPos, 0xFFFFFFFFu);
            for (uint32_t i = 0; i < n; ++i) {
                double idx = cv.Number("colour index");
                float c[4];
                for (float& x : c) x = std::clamp(cv.Float("colour"), 0.0f, 1.0f);
                if (idx < 0 || idx >= nPos) throw LoadError{label + "vertex colour index out of range"};
                colors[uint32_t(idx)] = gfx::MakeArgb(unsigned(c[3] * 255 + 0.5f), unsigned(c[0] * 255 + 0.5f),
                                                      unsigned(c[1] * 255 + 0.5f), unsigned(c[2] * 255 + 0.5f));
            }
        }

        // Materials and the material of every face.
        std::vector<XMaterial> materials;
        std::vector<uint32_t> faceMaterial(nFaces, 0);
        if (matListObj) {
            Values mv(*matListObj);
            uint32_t nMat = mv.Count("nMaterials", 0);
            uint32_t nIdx = mv.Count("nFaceIndexes", 1);
            for (uint32_t i = 0; i < nIdx; ++i) {
                double d = mv.Number("face material");
                if (d < 0 || d >= std::max(nMat, 1u)) throw LoadError{label + "face material out of range"};
                if (i < nFaces) faceMaterial[i] = uint32_t(d);
            }
            // A short list repeats its last entry.
            for (uint32_t i = nIdx; i < nFaces && nIdx > 0; ++i) faceMaterial[i] = faceMaterial[nIdx - 1];
            for (const auto& c : matListObj->children) {
                const XObject* m = Resolve(c);
                if (!m) throw LoadError{label + "unknown material \"" + c.reference + "\""};
                if (m->type != "Material") continue;
                materials.push_back(ReadMaterial(*m));
            }
            if (materials.size() < nMat) throw LoadError{label + "fewer materials than the list names"};
            materials.resize(nMat);
        }

        // Vertices: one per distinct (position, normal) corner.
        std::unordered_map<uint64_t, uint32_t> corner;
        corner.reserve(size_t(nPos) * 2);
        std::vector<std::pair<uint32_t, uint32_t>> vertsOf;  // (position, normal)
        std::vector<uint32_t> tris, triAttr;
        std::vector<uint32_t> triSource;  // original face of every triangle
        for (uint32_t f = 0; f < nFaces; ++f) {
            std::vector<uint32_t> ids(faces[f].size());
            for (size_t k = 0; k < faces[f].size(); ++k) {
                uint32_t n = normalsObj ? faceNormals[f][k] : UINT32_MAX;
                uint64_t key = (uint64_t(faces[f][k]) << 32) | n;
                auto it = corner.find(key);
                if (it == corner.end()) {
                    it = corner.emplace(key, uint32_t(vertsOf.size())).first;
                    vertsOf.emplace_back(faces[f][k], n);
                }
                ids[k] = it->second;
            }
            for (size_t k = 1; k + 1 < ids.size(); ++k) {
                tris.insert(tris.end(), {ids[0], ids[k], ids[k + 1]});
                triAttr.push_back(faceMaterial[f]);
                triSource.push_back(f);
            }
        }

        uint32_t fvf = gfx::FVF_XYZ;
        if (normalsObj) fvf |= gfx::FVF_NORMAL;
        if (colorsObj) fvf |= gfx::FVF_DIFFUSE;
        if (uvObj) fvf |= gfx::FVF_TEX1;
        auto mesh = std::make_shared<Mesh>(uint32_t(triAttr.size()), uint32_t(vertsOf.size()), options_, fvf, device_);
        const uint32_t stride = mesh->GetNumBytesPerVertex();
        const int no = FvfNormalOffset(fvf), co = FvfDiffuseOffset(fvf), to = FvfTexCoordOffset(fvf);
        for (uint32_t i = 0; i < vertsOf.size(); ++i) {
            uint8_t* d = &mesh->Vertices()[size_t(i) * stride];
            uint32_t p = vertsOf[i].first;
            std::memcpy(d, &pos[p].x, 12);
            if (no >= 0) std::memcpy(d + no, &normals[vertsOf[i].second].x, 12);
            if (co >= 0) std::memcpy(d + co, &colors[p], 4);
            if (to >= 0) std::memcpy(d + to, &uv[size_t(p) * 2], 8);
        }
        mesh->Indices() = tris;
        mesh->Attributes() = triAttr;
        std::vector<uint32_t> faceRemap;
        mesh->SortByAttribute(&faceRemap);

        // Adjacency over shared positions: the face across each edge, or none.
        std::vector<uint32_t> adjacency(mesh->Indices().size(), UINT32_MAX);
        {
            std::unordered_map<uint64_t, uint32_t> edges;
            edges.reserve(size_t(mesh->GetNumFaces()) * 3);
            const auto& idx = mesh->Indices();
            auto E = [&](uint32_t a, uint32_t b) { return (uint64_t(vertsOf[a].first) << 32) | vertsOf[b].first; };
            for (uint32_t f = 0; f < mesh->GetNumFaces(); ++f)
                for (int k = 0; k < 3; ++k) edges.emplace(E(idx[f * 3 + k], idx[f * 3 + (k + 1) % 3]), f);
            for (uint32_t f = 0; f < mesh->GetNumFaces(); ++f)
                for (int k = 0; k < 3; ++k) {
                    auto it = edges.find(E(idx[f * 3 + (k + 1) % 3], idx[f * 3 + k]));
                    if (it != edges.end() && it->second != f) adjacency[f * 3 + k] = it->second;
                }
        }

        std::shared_ptr<SkinInfo> skin;
        if (!skinObjs.empty()) {
            std::vector<std::vector<uint32_t>> copies(nPos);
            for (uint32_t i = 0; i < vertsOf.size(); ++i) copies[vertsOf[i].first].push_back(i);
            skin = std::make_shared<SkinInfo>(uint32_t(vertsOf.size()), fvf);
            for (const XObject* s : skinObjs) {
                Values sv(*s);
                SkinInfo::Bone bone;
                bone.name = sv.String("transformNodeName");
                uint32_t n = sv.Count("nWeights", 2);
                std::vector<uint32_t> idx(n);
                for (auto& i : idx) {
                    double d = sv.Number("vertex index");
                    if (d < 0 || d >= nPos) throw LoadError{label + "skin weight of bone \"" + bone.name + "\" names no vertex"};
                    i = uint32_t(d);
                }
                std::vector<float> w(n);
                for (auto& x : w) x = sv.Float("weight");
                bone.offset = ReadMatrix(sv, "matrixOffset");
                for (uint32_t i = 0; i < n; ++i)
                    for (uint32_t c : copies[idx[i]]) {
                        bone.vertices.push_back(c);
                        bone.weights.push_back(w[i]);
                    }
                skin->AddBone(std::move(bone));
            }
        }

        MeshData md;
        md.Type = MESHTYPE_MESH;
        md.pMesh = mesh;
        MeshContainer* mc = nullptr;
        HRESULT hr = alloc_->CreateMeshContainer(o.name.empty() ? nullptr : o.name.c_str(), &md,
                                                 materials.empty() ? nullptr : materials.data(), nullptr,
                                                 uint32_t(materials.size()), adjacency.data(), skin, &mc);
        if (FAILED(hr) || !mc) {
            lastHr_ = FAILED(hr) ? hr : E_FAIL;
            throw LoadError{label + "the mesh container could not be created"};
        }
        return mc;
    }

    static XMaterial ReadMaterial(const XObject& m) {
        Values v(m);
        XMaterial x;
        x.MatD3D.diffuse = {v.Float("faceColor"), v.Float("faceColor"), v.Float("faceColor"), v.Float("faceColor")};
        x.MatD3D.power = v.Float("power");
        x.MatD3D.specular = {v.Float("specularColor"), v.Float("specularColor"), v.Float("specularColor"), 1.0f};
        x.MatD3D.emissive = {v.Float("emissiveColor"), v.Float("emissiveColor"), v.Float("emissiveColor"), 1.0f};
        for (const auto& c : m.children)
            if (c.object && (c.object->type == "TextureFilename" || c.object->type == "TextureFileName")) {
                Values t(*c.object);
                x.TextureFilename = t.String("filename");
            }
        return x;
    }

    void ReadAnimation(const XObject& a, AnimationSet& set) {
        AnimationTrack track;
        for (const auto& c : a.children) {
            if (!c.object) {
                track.frameName = c.reference;
                continue;
            }
            const XObject& k = *c.object;
            if (k.type == "Frame") {
                track.frameName = k.name;
                continue;
            }
            if (k.type != "AnimationKey") continue;
            Values v(k);
            uint32_t type = v.Count("keyType", 0);
            uint32_t n = v.Count("nKeys", 2);
            for (uint32_t i = 0; i < n; ++i) {
                float t = v.Float("key time");
                uint32_t nv = v.Count("key size", 1);
                std::vector<float> x(nv);
                for (auto& f : x) f = v.Float("key value");
                auto need = [&](uint32_t want) {
                    if (nv != want) throw LoadError{"AnimationKey: a key of type " + std::to_string(type) + " needs " +
                                                    std::to_string(want) + " values"};
                };
                switch (type) {
                case 0:
                    need(4);
                    track.rotation.push_back({t, QuatFromFile(x[0], x[1], x[2], x[3])});
                    break;
                case 1:
                    need(3);
                    track.scale.push_back({t, {x[0], x[1], x[2]}});
                    break;
                case 2:
                    need(3);
                    track.translation.push_back({t, {x[0], x[1], x[2]}});
                    break;
                case 4: {
                    need(16);
                    vm::Matrix m;
                    std::memcpy(m.m, x.data(), 64);
                    vm::Vec3 s, p;
                    vm::Quat q;
                    vm::Decompose(m, s, q, p);
                    track.scale.push_back({t, s});
                    track.rotation.push_back({t, q});
                    track.translation.push_back({t, p});
                    break;
                }
                default: throw LoadError{"AnimationKey: unknown key type " + std::to_string(type)};
                }
            }
        }
        auto byTime = [](const auto& a, const auto& b) { return a.time < b.time; };
        std::stable_sort(track.scale.begin(), track.scale.end(), byTime);
        std::stable_sort(track.rotation.begin(), track.rotation.end(), byTime);
        std::stable_sort(track.translation.begin(), track.translation.end(), byTime);
        if (!track.frameName.empty()) set.tracks.push_back(std::move(track));
    }

    HRESULT Run(Frame** root, std::unique_ptr<AnimationController>* anim, std::string& error) {
        Frame* chain = nullptr;
        auto ctrl = std::make_unique<AnimationController>();
        double tps = 4800.0;
        std::vector<std::unique_ptr<AnimationSet>> sets;
        std::unique_ptr<AnimationSet> loose;  // animations outside any set
        try {
            for (const auto& o : file_.objects) {
                if (o->type == "Frame") {
                    BuildFrame(*o, chain, 0);
                } else if (o->type == "Mesh") {
                    Frame* f = NewFrame("");
                    Append(chain, f);
                    f->pMeshContainer = BuildMesh(*o);
                } else if (o->type == "AnimTicksPerSecond") {
                    Values v(*o);
                    uint32_t t = v.Count("AnimTicksPerSecond", 0);
                    if (t > 0) tps = t;
                } else if (o->type == "AnimationSet") {
                    auto set = std::make_unique<AnimationSet>();
                    set->name = o->name;
                    for (const auto& c : o->children)
                        if (c.object && c.object->type == "Animation") ReadAnimation(*c.object, *set);
                    sets.push_back(std::move(set));
                } else if (o->type == "Animation") {
                    if (!loose) loose = std::make_unique<AnimationSet>();
                    ReadAnimation(*o, *loose);
                }
            }
            if (!chain) throw LoadError{"the file has no frame or mesh"};
        } catch (const LoadError& e) {
            FrameDestroy(chain, alloc_);
            error = e.what;
            return FAILED(lastHr_) ? lastHr_ : E_FAIL;
        }
        if (loose) sets.push_back(std::move(loose));
        if (!sets.empty()) {
            for (auto& s : sets) {
                s->ticksPerSecond = tps;
                ctrl->AddAnimationSet(std::move(s));
            }
            ctrl->BindFrames(chain);
            if (anim) *anim = std::move(ctrl);
        }
        *root = chain;
        return S_OK;
    }

private:
    const XFile& file_;
    uint32_t options_;
    gfx::Device* device_;
    AllocateHierarchy* alloc_;
    std::map<std::string, const XObject*> named_;
    HRESULT lastHr_ = S_OK;
};

}  // namespace

HRESULT LoadMeshHierarchyFromXInMemory(const void* data, size_t size, uint32_t options, gfx::Device* device,
                                       AllocateHierarchy* alloc, const void*, Frame** frameRoot,
                                       std::unique_ptr<AnimationController>* animController, std::string* error) {
    if (frameRoot) *frameRoot = nullptr;
    if (animController) animController->reset();
    if (!data || !alloc || !frameRoot) {
        if (error) *error = "invalid arguments";
        return E_INVALIDARG;
    }
    XFile file;
    std::string err;
    HRESULT hr = ParseXFile(data, size, file, &err);
    if (FAILED(hr)) {
        if (error) *error = err;
        return hr;
    }
    Loader loader(file, options, device, alloc);
    hr = loader.Run(frameRoot, animController, err);
    if (FAILED(hr) && error) *error = err;
    return hr;
}

}  // namespace xmesh
