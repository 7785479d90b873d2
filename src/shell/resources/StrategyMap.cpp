// The strategy map: its camera, force fields, markers and base table.
#include <cmath>

#include "log/ErrorLog.h"
#include "resources/GlobalResources.h"
#include "table/gvlTableFile.h"

namespace {
constexpr double kPi = 3.141592;
// The least zoom a held zoom-out key reaches (half a key step, so that the last step
// lands near 0.01 whatever the rounding).
constexpr double kLeastMapZoom = 0.005;
}

void CGlobalResources::StartMapCameraMove(int x, int y, int zoomPercent) {
    MapCamera& c = m_Camera;
    c.startX = c.targetX;
    c.startY = c.targetY;
    c.startZoom = c.targetZoom;
    c.targetX = x;
    c.targetY = y;
    c.targetZoom = zoomPercent / 100.0;
    c.nStep = 0;
    const int byZoom = int(std::fabs(c.startZoom - c.targetZoom) * 0.5);
    // The sum of squares is formed in 32 bits; coordinates far outside the map can wrap
    // it negative, which then gives no distance term rather than the root of a negative.
    const int32_t sq = int32_t(uint32_t(x) * uint32_t(x) + uint32_t(y) * uint32_t(y));
    const int byDistance = sq > 0 ? int(std::sqrt(float(double(sq) / 7000.0))) : 0;
    c.nStepCount = byZoom > byDistance ? byZoom : byDistance;
    if (c.nStepCount <= 0) c.nStepCount = 1;
    if (c.zoom < kMinMapZoom) c.targetZoom = kMinMapZoom;
    if (c.zoom > kMaxMapZoom) c.zoom = c.targetZoom = kMaxMapZoom;
}

void CGlobalResources::ClampCameraToMap() {
    MapCamera& c = m_Camera;
    if (!(c.zoom > 0)) return;  // no view size to keep inside the map
    const double loX = 320 / c.zoom, loY = 240 / c.zoom;
    // Zoomed out until the map is narrower (or lower) than the view, the two limits
    // cross: the map then stays in the middle rather than against the right (bottom)
    // edge with the story's backdrop showing beside it.
    if (loX > 1024) {
        c.x = 1024;
    } else {
        if (c.x < loX) c.x = loX;
        if (c.x >= 2048 - loX) c.x = 2047 - loX;
    }
    if (loY > 1024) {
        c.y = 1024;
    } else {
        if (c.y < loY) c.y = loY;
        if (c.y >= 2048 - loY) c.y = 2047 - loY;
    }
    c.targetX = c.x;
    c.targetY = c.y;
}

void CGlobalResources::MoveMapCamera(int dx, int dy, int dzoomPercent) {
    MapCamera& c = m_Camera;
    if (c.nStep < c.nStepCount) return;
    if (c.zoom != 0) {
        c.x += dx * 170 / c.zoom / 100;
        c.y += dy * 170 / c.zoom / 100;
    }
    c.targetX = c.x;
    c.targetY = c.y;
    // Below the smallest zoom only the target is held back, so a held zoom-out key keeps
    // shrinking the view; it stops at one key step above zero, where the map would
    // vanish and then turn over.
    const double zoom = c.zoom + dzoomPercent / 100.0;
    if (zoom >= kLeastMapZoom || zoom >= c.zoom) c.zoom = zoom;
    c.targetZoom = c.zoom;
    if (c.zoom < kMinMapZoom) c.targetZoom = kMinMapZoom;
    if (c.zoom > kMaxMapZoom) c.zoom = c.targetZoom = kMaxMapZoom;
    ClampCameraToMap();
}

void CGlobalResources::StepMarkers() {
    for (auto& e : m_mapMarker) {
        StrategyMapMarker& m = e.second;
        if (m.nStep > m.nStepCount) continue;
        if (m.nStepCount <= 0) {
            // A move of no frames lands at once.
            m.x = m.targetX;
            m.y = m.targetY;
            m.angle = m.targetAngle;
            m.nAlpha = m.nTargetAlpha;
        } else {
            const double n = m.nStepCount, s = m.nStep;
            m.x = m.startX + (m.targetX - m.startX) / n * s;
            m.y = m.startY + (m.targetY - m.startY) / n * s;
            m.angle = m.startAngle + (m.targetAngle - m.startAngle) / n * s;
            m.nAlpha = m.nStartAlpha + (m.nTargetAlpha - m.nStartAlpha) * m.nStep / m.nStepCount;
        }
        ++m.nStep;
    }
}

void CGlobalResources::StepForcesFields(bool toTarget) {
    for (auto it = m_mapForcesField.begin(); it != m_mapForcesField.end();) {
        CForcesField* f = it->second;
        f->nAlpha = toTarget ? f->nTargetAlpha : uint8_t((f->nAlpha + f->nTargetAlpha) / 2);
        if (f->nAlpha == 0 && f->bRemoveWhenFaded) {
            delete f;
            it = m_mapForcesField.erase(it);
        } else {
            ++it;
        }
    }
}

void CGlobalResources::DrawStrategyMap(int) {
    m_nMapAlpha = 255;
    MapCamera& c = m_Camera;
    if (c.nStep <= c.nStepCount) {
        if (c.nStepCount <= 0) {
            c.x = c.targetX;
            c.y = c.targetY;
            c.zoom = c.targetZoom;
        } else {
            const double n = c.nStepCount, s = c.nStep;
            c.x = c.startX + (c.targetX - c.startX) / n * s;
            c.y = c.startY + (c.targetY - c.startY) / n * s;
            c.zoom = c.startZoom + (c.targetZoom - c.startZoom) / n * s;
        }
        ++c.nStep;
    }
    StepMarkers();
    StepForcesFields(false);

    const double z = c.zoom;
    auto screenX = [&](double px) { return (px - c.x) * z + 320; };
    auto screenY = [&](double py) { return (py - c.y) * z + 240; };
    CD3DDrawTexture* map = m_StrategyMap.GetTexture();
    map->DrawScaled(320 - z * c.x, 240 - z * c.y, z, z, 0, 0, (unsigned char)m_nMapAlpha);
    for (auto& e : m_mapForcesField) {
        CForcesField* f = e.second;
        const RECT src{0, 0, f->nWidth, f->nHeight};
        f->DrawScaled(screenX(f->x), screenY(f->y), z, z, 0, 0, (unsigned char)(f->nAlpha * m_nMapAlpha / 255),
                      &src);
    }
    for (auto& e : m_mapMarker) {
        StrategyMapMarker& m = e.second;
        if (!m.pImage) continue;
        const int w = m.pImage->GetWidth(), h = m.pImage->GetHeight();
        const vm::Matrix t = vm::Translation(float(-w / 2.0), float(-h / 2.0), 0) *
                             vm::RotationZ(float(m.angle * kPi / 180)) *
                             vm::Scaling(float(m.scale * z), float(m.scale * z), 1) *
                             vm::Translation(float(screenX(m.x)), float(screenY(m.y)), 0);
        int alpha = m.nAlpha * m_nMapAlpha / 255;
        if (alpha < 0) alpha = 0;
        if (alpha > 255) alpha = 255;
        const RECT src{0, 0, w, h};
        BeginSpriteBatch();
        if (g_pD3DDevice) {
            g_pD3DDevice->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_SRCALPHA);
            g_pD3DDevice->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_INVSRCALPHA);
        }
        m.pImage->DrawTransformed(t, (unsigned char)alpha, &src);
    }
}

void CGlobalResources::SkipMapAnimations() {
    MapCamera& c = m_Camera;
    if (c.nStep < c.nStepCount) c.nStep = c.nStepCount - 1;
    for (auto& e : m_mapMarker) e.second.nStep = e.second.nStepCount;
    StepForcesFields(true);
}

void CGlobalResources::MakeForcesField(int key, std::string file, int targetAlpha, int x, int y, int width,
                                       int height) {
    CForcesField*& slot = m_mapForcesField[key];
    if (!slot) slot = new CForcesField();
    CForcesField* f = slot;
    f->Load("./graphics/ForcesField/" + file);
    f->nKey = key;
    f->x = x;
    f->y = y;
    f->nWidth = width;
    f->nHeight = height;
    f->bRemoveWhenFaded = false;
    f->nAlpha = 0;
    f->nTargetAlpha = uint8_t(targetAlpha);
}

void CGlobalResources::SetForcesFieldAlpha(int key, int alpha) {
    auto it = m_mapForcesField.find(key);
    if (it != m_mapForcesField.end()) it->second->nTargetAlpha = uint8_t(alpha);
}

void CGlobalResources::DeleteForcesField(int key) {
    auto it = m_mapForcesField.find(key);
    if (it == m_mapForcesField.end()) return;
    it->second->nTargetAlpha = 0;
    it->second->bRemoveWhenFaded = true;
}

void CGlobalResources::ClearForcesFieldMap() {
    for (auto& e : m_mapForcesField) delete e.second;
    m_mapForcesField.clear();
}

void CGlobalResources::SetMarker(std::string imageFile, int key, int extra, int x, int y, int angle,
                                 int scalePercent) {
    CD3DDrawTexture*& image = m_mapMarkerImage[imageFile];
    if (!image) {
        image = new CD3DDrawTexture(imageFile);
        m_strLastMarkerImage = imageFile;
    }
    StrategyMapMarker m;
    m.pImage = image;
    m.nExtra = extra;
    m.nStepCount = 30;
    m.nStep = 0;
    m.x = m.startX = m.targetX = x;
    m.y = m.startY = m.targetY = y;
    m.scale = m.startScale = m.targetScale = scalePercent / 100.0;
    m.angle = m.startAngle = m.targetAngle = angle;
    m.nAlpha = m.nStartAlpha = 0;
    m.nTargetAlpha = 255;
    m_mapMarker.emplace(key, m);  // an existing marker with this key stays as it is
}

void CGlobalResources::MoveMarker(int key, int x, int y, int angle, int frames) {
    auto it = m_mapMarker.find(key);
    if (it == m_mapMarker.end()) return;
    StrategyMapMarker& m = it->second;
    m.startX = m.x;
    m.startY = m.y;
    m.startAngle = m.angle;
    m.targetX = x;
    m.targetY = y;
    m.targetAngle = angle;
    m.nStepCount = frames;
    m.nStep = 0;
    m.nAlpha = m.nStartAlpha = m.nTargetAlpha = 255;
}

void CGlobalResources::EraseMarker(int key) {
    auto it = m_mapMarker.find(key);
    if (it == m_mapMarker.end()) return;
    StrategyMapMarker& m = it->second;
    m.nStepCount = 30;
    m.nStep = 0;
    m.nStartAlpha = m.nAlpha = 255;
    m.nTargetAlpha = 0;
    m.startX = m.x;
    m.startY = m.y;
    m.startAngle = m.angle;
}

void CGlobalResources::ClearMarkers() {
    m_mapMarker.clear();
    for (auto& e : m_mapMarkerImage) delete e.second;
    m_mapMarkerImage.clear();
    m_strLastMarkerImage.clear();
}

void CGlobalResources::LoadStrategyMapBase(std::string tableFile) {
    CTableFile table;
    table.Load(tableFile.c_str());
    for (int row = 1; row < table.GetRowCount(); ++row) {
        StrategyMapBase b;
        b.nValue0 = table.GetInt(row, 0);
        b.nValue1 = table.GetInt(row, 1);
        b.nValue2 = table.GetInt(row, 2);
        b.strText0 = table.GetCell(row, 3);
        b.strText1 = table.GetCell(row, 4);
        b.nValue3 = table.GetInt(row, 5);
        b.nValue4 = table.GetInt(row, 6);
        m_listMapBase.push_back(b);
    }
}
