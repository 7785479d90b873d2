// Keyframe animation: sampling the keys and posing the frames.
#include <algorithm>
#include <cmath>

#include "mesh/xmesh.h"

namespace xmesh {

namespace {
// Index i of the key pair (i, i + 1) around `t` and the blend factor; `count` > 0.
template <class Key>
void FindKeys(const std::vector<Key>& keys, double t, size_t& i, float& f) {
    if (keys.size() == 1 || t <= keys.front().time) {
        i = 0;
        f = 0;
        return;
    }
    if (t >= keys.back().time) {
        i = keys.size() - 1;
        f = 0;
        return;
    }
    auto it = std::upper_bound(keys.begin(), keys.end(), t, [](double v, const Key& k) { return v < k.time; });
    i = size_t(it - keys.begin()) - 1;
    double span = keys[i + 1].time - keys[i].time;
    f = span > 0 ? float((t - keys[i].time) / span) : 0.0f;
}

vm::Vec3 SampleVec(const std::vector<VectorKey>& keys, double t, vm::Vec3 base) {
    if (keys.empty()) return base;
    size_t i;
    float f;
    FindKeys(keys, t, i, f);
    if (f == 0) return keys[i].value;
    return vm::Lerp(keys[i].value, keys[i + 1].value, f);
}
}  // namespace

vm::Matrix AnimationTrack::Sample(double ticks) const {
    vm::Vec3 s = SampleVec(scale, ticks, baseScale);
    vm::Vec3 p = SampleVec(translation, ticks, baseTranslation);
    vm::Quat q = baseRotation;
    if (!rotation.empty()) {
        size_t i;
        float f;
        FindKeys(rotation, ticks, i, f);
        q = f == 0 ? rotation[i].value : vm::Slerp(rotation[i].value, rotation[i + 1].value, f);
    }
    return vm::ScaleRotateTranslate(s, q, p);
}

double AnimationSet::GetPeriod() const {
    double last = 0;
    for (const AnimationTrack& t : tracks) {
        if (!t.scale.empty()) last = std::max(last, double(t.scale.back().time));
        if (!t.rotation.empty()) last = std::max(last, double(t.rotation.back().time));
        if (!t.translation.empty()) last = std::max(last, double(t.translation.back().time));
    }
    return ticksPerSecond > 0 ? last / ticksPerSecond : 0.0;
}

double AnimationSet::GetPeriodicPosition(double position) const {
    double period = GetPeriod();
    if (!(period > 0) || !std::isfinite(position)) return 0.0;
    double r = std::fmod(position, period);
    if (r < 0) r += period;
    return r;
}

void AnimationController::BindFrames(Frame* root) {
    outputs_.clear();
    for (auto& set : sets_)
        for (AnimationTrack& t : set->tracks) {
            Frame* f = FrameFind(root, t.frameName.c_str());
            if (!f) continue;
            outputs_[t.frameName] = &f->TransformationMatrix;
            if (!vm::Decompose(f->TransformationMatrix, t.baseScale, t.baseRotation, t.baseTranslation)) {
                t.baseScale = {1, 1, 1};
                t.baseRotation = vm::Quat{};
            }
        }
}

HRESULT AnimationController::AdvanceTime(double seconds, void*) {
    time_ += seconds;
    position_ += seconds;
    if (sets_.empty()) return S_OK;
    const AnimationSet& set = *sets_[0];
    double ticks = set.GetPeriodicPosition(position_) * set.ticksPerSecond;
    for (const AnimationTrack& t : set.tracks) {
        auto it = outputs_.find(t.frameName);
        if (it != outputs_.end()) *it->second = t.Sample(ticks);
    }
    return S_OK;
}

Frame* FrameFind(Frame* root, const char* name) {
    for (Frame* f = root; f; f = f->pFrameSibling) {
        if (name && f->Name && std::string(f->Name) == name) return f;
        if (!name && !f->Name) return f;
        if (Frame* c = FrameFind(f->pFrameFirstChild, name)) return c;
    }
    return nullptr;
}

HRESULT FrameDestroy(Frame* root, AllocateHierarchy* alloc) {
    if (!alloc) return E_INVALIDARG;
    while (root) {
        Frame* next = root->pFrameSibling;
        FrameDestroy(root->pFrameFirstChild, alloc);
        MeshContainer* c = root->pMeshContainer;
        while (c) {
            MeshContainer* n = c->pNextMeshContainer;
            alloc->DestroyMeshContainer(c);
            c = n;
        }
        alloc->DestroyFrame(root);
        root = next;
    }
    return S_OK;
}

}  // namespace xmesh
