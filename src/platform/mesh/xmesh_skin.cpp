// Skin information and its conversion to a vertex-blended mesh in bone combinations.
#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <utility>

#include "mesh/xmesh.h"

namespace xmesh {

const char* SkinInfo::GetBoneName(uint32_t bone) const {
    return bone < bones_.size() ? bones_[bone].name.c_str() : nullptr;
}
const vm::Matrix* SkinInfo::GetBoneOffsetMatrix(uint32_t bone) const {
    return bone < bones_.size() ? &bones_[bone].offset : nullptr;
}
uint32_t SkinInfo::AddBone(Bone bone) {
    bones_.push_back(std::move(bone));
    return uint32_t(bones_.size() - 1);
}
uint32_t SkinInfo::GetMaxVertexInfluences() const {
    std::vector<uint32_t> count(numVertices_, 0);
    uint32_t best = 0;
    for (const Bone& b : bones_)
        for (size_t i = 0; i < b.vertices.size(); ++i)
            if (b.vertices[i] < numVertices_ && b.weights[i] > 0) best = std::max(best, ++count[b.vertices[i]]);
    return best;
}

namespace {
struct Influence {
    uint32_t bone;
    float weight;
};
}  // namespace

HRESULT SkinInfo::ConvertToBlendedMesh(const Mesh& source, uint32_t options, uint32_t* maxFaceInfluences,
                                       std::vector<BoneCombination>& combinations, std::shared_ptr<Mesh>& out,
                                       uint32_t maxInfluences) const {
    maxInfluences = std::clamp(maxInfluences, 1u, 4u);
    const uint32_t nv = source.GetNumVertices(), nf = source.GetNumFaces();
    if (source.GetNumBytesPerVertex() == 0) return E_INVALIDARG;
    const auto& srcIdx = source.Indices();
    for (uint32_t i : srcIdx)
        if (i >= nv) return E_FAIL;

    // Vertices stored apart at one position (split by normal or texture coordinate)
    // share one list of bones: chosen per vertex, the copies could keep different
    // bones and tear apart when animated.
    std::vector<uint32_t> at(nv);
    std::vector<uint32_t> copies;
    {
        std::map<std::array<uint32_t, 3>, uint32_t> positions;
        for (uint32_t v = 0; v < nv; ++v) {
            float xyz[3];
            std::memcpy(xyz, &source.Vertices()[size_t(v) * source.GetNumBytesPerVertex()], sizeof xyz);
            std::array<uint32_t, 3> key;
            for (int k = 0; k < 3; ++k) {
                const float c = xyz[k] + 0.0f;  // -0 and 0 are one place
                std::memcpy(&key[k], &c, sizeof c);
            }
            auto [it, added] = positions.try_emplace(key, uint32_t(positions.size()));
            if (added) copies.push_back(0);
            at[v] = it->second;
            ++copies[at[v]];
        }
    }

    // The strongest bones of every position: those of its vertices, averaged.
    std::vector<std::vector<Influence>> inf(copies.size());
    for (uint32_t b = 0; b < bones_.size(); ++b)
        for (size_t i = 0; i < bones_[b].vertices.size(); ++i) {
            const uint32_t v = bones_[b].vertices[i];
            if (v >= nv || !(bones_[b].weights[i] > 0)) continue;
            std::vector<Influence>& list = inf[at[v]];
            auto it = std::find_if(list.begin(), list.end(), [&](const Influence& x) { return x.bone == b; });
            if (it == list.end()) it = list.insert(list.end(), Influence{b, 0});
            it->weight += bones_[b].weights[i] / float(copies[at[v]]);
        }
    for (auto& list : inf) {
        std::stable_sort(list.begin(), list.end(), [](const Influence& a, const Influence& b) { return a.weight > b.weight; });
        if (list.size() > maxInfluences) list.resize(maxInfluences);
    }
    auto bonesOf = [&](uint32_t v) -> std::vector<Influence>& { return inf[at[v]]; };

    // A face is drawn with at most maxInfluences bones, so the bones of its three
    // vertices together may not be more.  Bones are taken from the positions
    // themselves, so that every face sharing a position blends it with the same
    // weights: cutting each face on its own would give the copies of one vertex
    // different weights and open cracks along the seams.  Each step drops the bone
    // that matters least on the face (smallest largest weight, then smallest total)
    // from all three of its positions, never a position's last bone.  A list only ever
    // shrinks, so a face within the limit stays within it.
    for (uint32_t f = 0; f < nf; ++f) {
        const uint32_t* tri = &srcIdx[size_t(f) * 3];
        for (;;) {
            struct Candidate {
                uint32_t bone;
                float largest, total;
                bool removable;
            };
            std::vector<Candidate> u;
            for (int k = 0; k < 3; ++k) {
                const std::vector<Influence>& list = bonesOf(tri[k]);
                for (const Influence& x : list) {
                    auto it = std::find_if(u.begin(), u.end(), [&](const Candidate& c) { return c.bone == x.bone; });
                    if (it == u.end()) it = u.insert(u.end(), Candidate{x.bone, 0, 0, true});
                    it->largest = std::max(it->largest, x.weight);
                    it->total += x.weight;
                    if (list.size() == 1) it->removable = false;
                }
            }
            if (u.size() <= maxInfluences) break;
            const Candidate* weakest = nullptr;
            for (const Candidate& c : u) {
                if (!c.removable) continue;
                if (!weakest || c.largest < weakest->largest ||
                    (c.largest == weakest->largest &&
                     (c.total < weakest->total || (c.total == weakest->total && c.bone > weakest->bone))))
                    weakest = &c;
            }
            // Every bone left is the last of some vertex (a limit below three):
            // the face is cut on its own below.
            if (!weakest) break;
            const uint32_t drop = weakest->bone;
            for (int k = 0; k < 3; ++k) {
                std::vector<Influence>& list = bonesOf(tri[k]);
                list.erase(std::remove_if(list.begin(), list.end(), [&](const Influence& x) { return x.bone == drop; }),
                           list.end());
            }
        }
    }

    // The bones of every face (the weakest dropped when there are still too many).
    std::vector<std::vector<uint32_t>> faceBones(nf);
    uint32_t influences = 1;
    for (uint32_t f = 0; f < nf; ++f) {
        std::vector<Influence> u;  // bone and its largest weight on the face
        for (int k = 0; k < 3; ++k)
            for (const Influence& x : bonesOf(srcIdx[size_t(f) * 3 + k])) {
                auto it = std::find_if(u.begin(), u.end(), [&](const Influence& y) { return y.bone == x.bone; });
                if (it == u.end()) u.push_back(x);
                else it->weight = std::max(it->weight, x.weight);
            }
        std::stable_sort(u.begin(), u.end(), [](const Influence& a, const Influence& b) { return a.weight > b.weight; });
        if (u.size() > maxInfluences) u.resize(maxInfluences);
        for (const Influence& x : u) faceBones[f].push_back(x.bone);
        std::sort(faceBones[f].begin(), faceBones[f].end());
        influences = std::max(influences, uint32_t(u.size()));
    }

    // Group the faces: per attribute, each face joins the first group of that
    // attribute that can take its bones.
    struct Group {
        uint32_t attrib;
        std::vector<uint32_t> bones;
        std::vector<uint32_t> faces;
    };
    std::vector<uint32_t> attribs(source.Attributes());
    std::vector<uint32_t> order(nf);
    for (uint32_t i = 0; i < nf; ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return attribs[a] < attribs[b]; });
    std::vector<Group> groups;
    size_t firstOfAttrib = 0;
    for (size_t oi = 0; oi < order.size(); ++oi) {
        uint32_t f = order[oi];
        if (oi > 0 && attribs[f] != attribs[order[oi - 1]]) firstOfAttrib = groups.size();
        Group* target = nullptr;
        for (size_t g = firstOfAttrib; g < groups.size() && !target; ++g) {
            size_t extra = 0;
            for (uint32_t b : faceBones[f])
                if (std::find(groups[g].bones.begin(), groups[g].bones.end(), b) == groups[g].bones.end()) ++extra;
            if (groups[g].bones.size() + extra <= influences) target = &groups[g];
        }
        if (!target) {
            groups.push_back(Group{attribs[f], {}, {}});
            target = &groups.back();
        }
        for (uint32_t b : faceBones[f])
            if (std::find(target->bones.begin(), target->bones.end(), b) == target->bones.end()) target->bones.push_back(b);
        target->faces.push_back(f);
    }

    // The blended mesh: every group gets its own copies of its vertices.
    const uint32_t weights = influences - 1;
    static const uint32_t kPos[] = {gfx::FVF_XYZ, gfx::FVF_XYZB1, gfx::FVF_XYZB2, gfx::FVF_XYZB3};
    uint32_t fvf = (source.GetFVF() & ~0x00Eu) | kPos[weights];
    const uint32_t srcStride = source.GetNumBytesPerVertex();
    const int srcW = FvfBlendWeights(source.GetFVF());
    const size_t srcRest = srcStride - 12 - size_t(4) * srcW;

    std::vector<uint8_t> verts;
    std::vector<uint32_t> indices;
    std::vector<uint32_t> faceAttr;
    combinations.clear();
    const uint32_t stride = FvfVertexSize(fvf);
    uint32_t vcount = 0;
    std::vector<uint32_t> remap(nv);
    for (size_t g = 0; g < groups.size(); ++g) {
        const Group& gr = groups[g];
        std::fill(remap.begin(), remap.end(), UINT32_MAX);
        BoneCombination bc;
        bc.AttribId = gr.attrib;
        bc.FaceStart = uint32_t(faceAttr.size());
        bc.FaceCount = uint32_t(gr.faces.size());
        bc.VertexStart = vcount;
        bc.BoneId.assign(influences, UNUSED_BONE);
        for (size_t k = 0; k < gr.bones.size(); ++k) bc.BoneId[k] = gr.bones[k];
        for (uint32_t f : gr.faces) {
            for (int k = 0; k < 3; ++k) {
                uint32_t v = srcIdx[size_t(f) * 3 + k];
                if (remap[v] == UINT32_MAX) {
                    remap[v] = vcount++;
                    size_t at = verts.size();
                    verts.resize(at + stride, 0);
                    const uint8_t* s = &source.Vertices()[size_t(v) * srcStride];
                    std::memcpy(&verts[at], s, 12);
                    // Weights of the group's bones, scaled to sum to one.
                    float w[4] = {0, 0, 0, 0};
                    float sum = 0;
                    for (const Influence& x : bonesOf(v)) {
                        auto it = std::find(gr.bones.begin(), gr.bones.end(), x.bone);
                        if (it != gr.bones.end()) {
                            w[it - gr.bones.begin()] += x.weight;
                            sum += x.weight;
                        }
                    }
                    if (sum > 0)
                        for (float& x : w) x /= sum;
                    std::memcpy(&verts[at + 12], w, size_t(4) * weights);
                    std::memcpy(&verts[at + 12 + size_t(4) * weights], s + 12 + size_t(4) * srcW, srcRest);
                }
                indices.push_back(remap[v]);
            }
            faceAttr.push_back(uint32_t(g));
        }
        bc.VertexCount = vcount - bc.VertexStart;
        combinations.push_back(std::move(bc));
    }

    auto m = std::make_shared<Mesh>(uint32_t(faceAttr.size()), vcount, options, fvf, source.GetDevice());
    m->Vertices() = std::move(verts);
    m->Indices() = std::move(indices);
    m->Attributes() = std::move(faceAttr);
    m->SortByAttribute();
    out = std::move(m);
    if (maxFaceInfluences) *maxFaceInfluences = influences;
    return S_OK;
}

}  // namespace xmesh
