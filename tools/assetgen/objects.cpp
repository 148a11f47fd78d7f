#include "objects.h"

#include <cmath>

#include "font.h"
#include "render3d.h"

namespace assetgen {

namespace {

using Prims = std::vector<Prim>;

struct HouseLook {
  double width, depth, wall, roof;  // wall height; roof rise above it
  bool gableFront;                  // ridge running front to back
  Col plaster, timber, roofCol, shutter, door;
  int floors;
  uint32_t seed;
};

// Timber framing, windows and door painted on a wall face: u runs along the
// wall from -half to +half, v up from the ground.
Col WallPaint(const HouseLook& h, double u, double v, double half, bool front, double gableTop) {
  const double beam = 1.1;
  Col plaster =
      h.plaster * (0.96 + 0.06 * ValueNoise(u * 3 + 50, v * 3, 4, 1 << 20, 1 << 20, h.seed));
  // Stone plinth.
  if (v < 3.0) {
    const int row = static_cast<int>(std::floor(v / 1.5));
    const double brick = std::fmod(u + half + (row % 2) * 1.7 + 100, 3.4);
    if (brick < 0.35 || std::fmod(v, 1.5) < 0.3) return Col{0.42, 0.40, 0.38};
    return Col{0.62, 0.60, 0.56} * (0.92 + 0.1 * HashUnit(int(u + half + row * 13), row, 3));
  }
  // Posts at the corners and between the bays.
  const int bays = std::max(2, static_cast<int>(std::nearbyint(2 * half / 13.0)));
  const double bayW = 2 * half / bays;
  const double inBay = std::fmod(u + half, bayW);
  const int bay = std::min(bays - 1, static_cast<int>((u + half) / bayW));
  if (inBay < beam || inBay > bayW - beam * 0.2 || u > half - beam) return h.timber;
  // Rails: sill, the floor bands and the top plate.
  for (int f = 0; f <= h.floors; ++f) {
    const double rv = 3.0 + f * (h.wall - 3.0) / h.floors;
    if (std::fabs(v - rv) < beam * 0.8) return h.timber;
  }
  if (v > h.wall) {
    // Gable triangle: a king post and a small round window.
    if (std::fabs(u) < beam * 0.6) return h.timber;
    const double cy = h.wall + (gableTop - h.wall) * 0.38;
    const double du = u - 4.5, dv = v - cy;
    if (std::fabs(u) > 2 && du * du + dv * dv < 5.5) {
      if (du * du + dv * dv > 3.2) return Col{0.95, 0.95, 0.92};
      return Col{0.22, 0.30, 0.42};
    }
    // Diagonal braces under the roof slopes.
    const double t = std::fabs(u) / half;
    const double line = h.wall + (1 - t) * (gableTop - h.wall) * 0.55;
    if (std::fabs(v - line) < beam * 0.9) return h.timber;
    return plaster;
  }
  const int floor =
      std::min(h.floors - 1, static_cast<int>((v - 3.0) / ((h.wall - 3.0) / h.floors)));
  const double fv0 = 3.0 + floor * (h.wall - 3.0) / h.floors;
  const double lv = v - fv0;           // height inside the floor
  const double lu = inBay - bayW / 2;  // across the bay, 0 in its middle
  const double fh = (h.wall - 3.0) / h.floors;
  // The door in the middle bay of the front's ground floor.
  const bool doorBay = front && floor == 0 && bay == bays / 2;
  if (doorBay) {
    if (std::fabs(lu) < 3.6 && lv < fh - 2.5) {
      if (std::fabs(lu) > 2.9 || lv > fh - 3.2) return h.timber * 0.9;
      if (std::fabs(lu) < 0.25) return h.door * 0.7;
      if (std::fabs(lu - 1.6) < 0.35 && std::fabs(lv - fh * 0.45) < 0.35)
        return Col{0.95, 0.8, 0.3};
      return h.door * (0.9 + 0.1 * std::cos(lu * 3));
    }
  } else {
    // A window with a cross and shutters in each bay.
    const double ww = std::min(3.4, bayW * 0.28), wb = fh * 0.3, wt = fh * 0.82;
    if (lv > wb && lv < wt) {
      if (std::fabs(lu) < ww) {
        if (std::fabs(lu) > ww - 0.6 || lv < wb + 0.6 || lv > wt - 0.6)
          return Col{0.96, 0.96, 0.93};
        if (std::fabs(lu) < 0.3 || std::fabs(lv - (wb + wt) / 2) < 0.3)
          return Col{0.96, 0.96, 0.93};
        const double glint = (lu + (lv - wb)) * 0.5;
        return (std::fmod(glint + 10, 3.0) < 0.6) ? Col{0.55, 0.66, 0.78} : Col{0.20, 0.28, 0.40};
      }
      if (std::fabs(lu) < ww + 2.2) {
        const double slat = std::fmod(lv * 2.0, 1.0);
        return h.shutter * (slat < 0.25 ? 0.75 : 1.0);
      }
    }
    // Flower box under the ground floor windows on the front.
    if (front && floor == 0 && std::fabs(lu) < ww + 0.4 && lv > wb - 1.4 && lv <= wb) {
      if (lv > wb - 0.7 && HashUnit(static_cast<int>(lu * 3 + 40), bay, 5) > 0.45)
        return Col{0.92, 0.2, 0.22};
      return Col{0.45, 0.28, 0.14};
    }
  }
  // Diagonal braces in the outer bays of the upper floors.
  if (floor > 0 && (bay == 0 || bay == bays - 1)) {
    const double t = lv / fh;
    const double along = bay == 0 ? inBay / bayW : 1 - inBay / bayW;
    if (std::fabs(along - t) < 0.09) return h.timber;
  }
  return plaster;
}

Col RoofPaint(const Col& base, double along, double down, uint32_t seed) {
  // Rows of tiles: a dark line between rows, tiles staggered row by row.
  const double rowH = 2.2;
  const int row = static_cast<int>(std::floor(down / rowH));
  const double inRow = down - row * rowH;
  const double tileW = 2.6;
  const double shift = (row % 2) * tileW * 0.5;
  const double inTile = std::fmod(along + shift + 1000 * tileW, tileW);
  const int tile = static_cast<int>(std::floor((along + shift) / tileW));
  Col c = base * (0.88 + 0.16 * HashUnit(tile, row, seed));
  if (inRow > rowH - 0.45) c = c * 0.6;
  if (inTile < 0.25) c = c * 0.8;
  return c * (0.85 + 0.15 * (inRow / rowH));
}

Prims House(const HouseLook& h, double yaw) {
  Prims out;
  Frame f;
  f = RotY(f, yaw);
  const double hw = h.width / 2, hd = h.depth / 2;
  // Walls: x runs along the front, z out of the front.
  Prim walls = Box(f, {0, h.wall / 2, 0}, {hw, h.wall / 2, hd}, h.plaster);
  const double ridgeY = h.wall + h.roof;
  walls.paint = [h, hw, hd, ridgeY](const V3& p, const V3& n) {
    if (n.z > 0.5) return WallPaint(h, p.x, p.y, hw, true, ridgeY);
    if (n.z < -0.5) return WallPaint(h, -p.x, p.y, hw, false, ridgeY);
    if (n.x > 0.5) return WallPaint(h, -p.z, p.y, hd, false, ridgeY);
    return WallPaint(h, p.z, p.y, hd, false, ridgeY);
  };
  walls.group = 1;
  out.push_back(walls);
  const double over = 2.6, thick = 1.4;
  // The gable triangles, in wall material, under the roof slabs.
  const double gHalf = h.gableFront ? hw : hd;
  const double gLen = h.gableFront ? hd : hw;
  std::vector<V3> tri;
  if (h.gableFront)
    tri = {{-hw, h.wall, -hd}, {hw, h.wall, -hd}, {0, ridgeY, -hd},
           {-hw, h.wall, hd},  {hw, h.wall, hd},  {0, ridgeY, hd}};
  else
    tri = {{-hw, h.wall, -hd}, {-hw, h.wall, hd}, {-hw, ridgeY, 0},
           {hw, h.wall, -hd},  {hw, h.wall, hd},  {hw, ridgeY, 0}};
  Prim gable =
      Convex(f, tri, {{0, 1, 2}, {3, 4, 5}, {0, 1, 4, 3}, {1, 2, 5, 4}, {0, 2, 5, 3}}, h.plaster);
  gable.paint = walls.paint;
  gable.group = 1;
  out.push_back(gable);
  // Two roof slabs meeting at the ridge.
  const double slopeAngle = std::atan2(h.roof, gHalf);
  const double slopeLen = std::hypot(h.roof, gHalf) + over;
  for (int side = -1; side <= 1; side += 2) {
    // The slab spans from the ridge down to past the eave; its local x runs
    // along the slope and its centre sits half a thickness above the roof line.
    const double ca = std::cos(slopeAngle), sa = std::sin(slopeAngle);
    const double mid = slopeLen * 0.5;
    Frame rf = f;
    if (h.gableFront) {
      rf.o = f.ToWorld(
          {side * (ca * mid + sa * thick * 0.5), ridgeY - sa * mid + ca * thick * 0.5, 0});
      rf = RotZ(rf, -side * slopeAngle);
    } else {
      rf = RotY(rf, kPi / 2);
      rf.o = f.ToWorld(
          {0, ridgeY - sa * mid + ca * thick * 0.5, side * (ca * mid + sa * thick * 0.5)});
      rf = RotZ(rf, side * slopeAngle);
    }
    Prim slab = Box(rf, {0, 0, 0}, {slopeLen * 0.5, thick * 0.5, gLen + over}, h.roofCol);
    const double sl = slopeLen;
    const Col rc = h.roofCol;
    const uint32_t seed = h.seed + static_cast<uint32_t>(side + 5);
    slab.paint = [rc, sl, seed, side, h](const V3& p, const V3& n) {
      if (n.y < 0.5) return rc * 0.55;  // edges of the slab
      // Distance down the slope from the ridge.
      const double down = h.gableFront ? (side > 0 ? sl * 0.5 + p.x : sl * 0.5 - p.x)
                                       : (side > 0 ? sl * 0.5 - p.x : sl * 0.5 + p.x);
      return RoofPaint(rc, p.z, std::max(0.0, down), seed);
    };
    slab.group = 2;
    out.push_back(slab);
  }
  // Ridge cap and chimney.
  const V3 ra =
      h.gableFront ? V3{0, ridgeY + thick, -hd - over} : V3{-hw - over, ridgeY + thick, 0};
  const V3 rb = h.gableFront ? V3{0, ridgeY + thick, hd + over} : V3{hw + over, ridgeY + thick, 0};
  Prim cap = Limb(f.ToWorld(ra), f.ToWorld(rb), 0.9, 0.9, h.roofCol * 0.7);
  cap.group = 2;
  out.push_back(cap);
  const V3 chim = h.gableFront ? V3{-hw * 0.45, 0, -hd * 0.3} : V3{hw * 0.5, 0, -hd * 0.35};
  const double chimBase = h.wall + h.roof * (1 - std::fabs(h.gableFront ? chim.x : chim.z) / gHalf);
  Prim chimney = Box(f, {chim.x, chimBase + 3.5, chim.z}, {2.4, 6.0, 2.4}, Col{0.62, 0.32, 0.24});
  chimney.paint = [](const V3& p, const V3& n) {
    const Col brick{0.66, 0.33, 0.24};
    if (n.y > 0.5) return Col{0.15, 0.12, 0.1};
    const int row = static_cast<int>(std::floor((p.y + 50) / 1.2));
    const double along = std::fabs(n.x) > 0.5 ? p.z : p.x;
    if (std::fmod(p.y + 50, 1.2) < 0.25 || std::fmod(along + 50 + (row % 2) * 1.1, 2.2) < 0.25)
      return Col{0.45, 0.42, 0.4};
    return brick;
  };
  chimney.group = 3;
  out.push_back(chimney);
  return out;
}

// Fits the primitives into a w × h picture, standing on its bottom edge.
Picture FitAndRender(const Prims& prims, int w, int h, double margin, const RenderStyle& style) {
  Camera cam;
  const Bounds b = TightBounds(prims, cam);
  const double scale = std::min((w - 2 * margin) / (b.u1 - b.u0), (h - 2 * margin) / (b.v1 - b.v0));
  cam.scale = scale;
  cam.ox = w * 0.5 - scale * 0.5 * (b.u0 + b.u1);
  cam.oy = h - margin + scale * b.v0;
  return Render(prims, cam, w, h, style);
}

RenderStyle ObjectStyle() {
  RenderStyle s;
  s.contourDepth = 5.0;
  s.ambient = 0.55;
  s.diffuse = 0.55;
  return s;
}

Col ThatchPaint(double along, double down) {
  const Col straw{0.80, 0.66, 0.36};
  const double streak = ValueNoise(along * 4, down * 0.6, 1.0, 1 << 20, 1 << 20, 91);
  const double layer = std::fmod(down + 100, 3.0);
  Col c = straw * (0.82 + 0.25 * streak);
  if (layer > 2.5) c = c * 0.72;
  return c;
}

}  // namespace

Picture HouseA() {
  HouseLook h{46,
              38,
              34,
              26,
              true,
              Col{0.95, 0.90, 0.78},
              Col{0.33, 0.19, 0.10},
              Col{0.74, 0.22, 0.14},
              Col{0.20, 0.50, 0.26},
              Col{0.45, 0.25, 0.12},
              2,
              101};
  return FitAndRender(House(h, -0.42), 112, 112, 3, ObjectStyle());
}

Picture HouseC() {
  HouseLook h{52,
              34,
              32,
              20,
              false,
              Col{0.96, 0.86, 0.58},
              Col{0.22, 0.14, 0.10},
              Col{0.32, 0.36, 0.46},
              Col{0.62, 0.16, 0.14},
              Col{0.30, 0.36, 0.50},
              2,
              202};
  return FitAndRender(House(h, -0.42), 112, 112, 3, ObjectStyle());
}

Picture HouseD() {
  HouseLook h{40,
              36,
              42,
              28,
              true,
              Col{0.92, 0.80, 0.76},
              Col{0.40, 0.16, 0.10},
              Col{0.55, 0.32, 0.18},
              Col{0.22, 0.34, 0.62},
              Col{0.25, 0.45, 0.25},
              3,
              303};
  return FitAndRender(House(h, -0.42), 112, 112, 3, ObjectStyle());
}

Picture Cottage() {
  HouseLook h{44,
              34,
              20,
              22,
              false,
              Col{0.96, 0.95, 0.90},
              Col{0.36, 0.24, 0.14},
              Col{0.80, 0.66, 0.36},
              Col{0.18, 0.42, 0.70},
              Col{0.50, 0.28, 0.12},
              1,
              404};
  Prims prims = House(h, -0.42);
  // Thatch instead of tiles.
  for (Prim& p : prims)
    if (p.group == 2 && p.kind == Prim::Kind::kConvex) {
      p.paint = [](const V3& q, const V3& n) {
        if (n.y < 0.5) return Col{0.55, 0.44, 0.22};
        return ThatchPaint(q.z, q.x + 30);
      };
    }
  const int size = 120;
  Picture pic = FitAndRender(prims, size, size, 3, ObjectStyle());
  // Sign board on two posts in front, lettered "WIMMEL".
  const std::string word = "WIMMEL";
  const int tw = TextWidth(word);
  const int bw = tw + 8, bh = 13;
  const int bx = (size - bw) / 2 + 18, by = size - bh - 12;
  const Rgb outline{40, 24, 12}, post{96, 62, 32}, postDark{66, 40, 18};
  for (int px : {bx + 5, bx + bw - 7}) {
    for (int y = by; y < size - 1; ++y) {
      pic.Set(px - 1, y, outline);
      pic.Set(px, y, post);
      pic.Set(px + 1, y, postDark);
      pic.Set(px + 2, y, outline);
    }
    pic.Set(px, size - 1, outline);
    pic.Set(px + 1, size - 1, outline);
  }
  for (int y = 0; y < bh; ++y)
    for (int x = 0; x < bw; ++x) {
      const bool edge = x == 0 || y == 0 || x == bw - 1 || y == bh - 1;
      Col wood = Col{0.86, 0.70, 0.46} * (0.92 + 0.1 * ValueNoise(x * 0.3, y * 3.0, 1, 99, 99, 95));
      if (y == 1 || x == 1) wood = wood * 1.08;
      if (y == bh - 2 || x == bw - 2) wood = wood * 0.82;
      pic.Set(bx + x, by + y, edge ? outline : ToRgb(wood));
    }
  DrawText(pic, bx + 4, by + 3, word, Rgb{120, 30, 20});
  return pic;
}

Picture Carousel() {
  Prims out;
  const Col red{0.85, 0.15, 0.15}, white{0.97, 0.96, 0.92}, gold{0.98, 0.80, 0.25};
  const Col blue{0.20, 0.40, 0.85};
  // Platform.
  Prim base = Frustum({0, 0, 0}, {0, 5, 0}, 40, 40, blue);
  base.paint = [blue, gold](const V3& q, const V3& n) {
    if (n.z > 0.5) {  // the boards on top, laid out radially
      const double a = std::atan2(q.y, q.x);
      return (std::fmod(a * 24 / (2 * kPi) + 100, 1.0) < 0.12) ? Col{0.55, 0.38, 0.2}
                                                               : Col{0.80, 0.62, 0.38};
    }
    if (q.z > 3.8) return gold;
    const double a = std::atan2(q.y, q.x);
    return (std::fmod(a * 16 / (2 * kPi) + 100, 1.0) < 0.5) ? blue : blue * 0.75;
  };
  out.push_back(base);
  // Candy-striped centre pole.
  Prim pole = Frustum({0, 5, 0}, {0, 52, 0}, 4.5, 4.5, red);
  pole.paint = [red, white](const V3& q, const V3&) {
    const double a = std::atan2(q.y, q.x);
    return std::fmod(q.z * 0.35 + a / (2 * kPi) * 2 + 100, 1.0) < 0.5 ? red : white;
  };
  out.push_back(pole);
  // Canopy: a valance and a striped cone.
  Prim valance = Frustum({0, 44.5, 0}, {0, 52.5, 0}, 46.5, 46.5, red);
  valance.paint = [red, white, gold](const V3& q, const V3&) {
    const double a = std::atan2(q.y, q.x);
    const double s = std::fmod(a * 12 / (2 * kPi) + 100, 1.0);
    if (q.z > 7.0) return gold;
    // Scallops: each stripe hangs down in a round flap; the corners between
    // the flaps lie in the canopy's shadow.
    const Col stripe = (static_cast<int>(std::floor(a * 12 / (2 * kPi) + 100)) % 2) ? red : white;
    const double dx = (s - 0.5) * 2;
    if (q.z < 3.2 * dx * dx) return stripe * 0.35;
    return stripe;
  };
  out.push_back(valance);
  Prim roof = Frustum({0, 52, 0}, {0, 76, 0}, 46, 2.0, red);
  roof.paint = [red, white](const V3& q, const V3&) {
    const double a = std::atan2(q.y, q.x);
    return (static_cast<int>(std::floor(a * 12 / (2 * kPi) + 100)) % 2) ? red : white;
  };
  out.push_back(roof);
  out.push_back(Sphere({0, 78, 0}, 3.2, gold));
  out.back().shine = 0.6;
  Prim flagPole = Limb({0, 78, 0}, {0, 90, 0}, 0.6, 0.6, Col{0.3, 0.3, 0.3});
  out.push_back(flagPole);
  out.push_back(Box(Frame{}, {4.5, 87, 0}, {4.5, 2.6, 0.4}, Col{0.98, 0.85, 0.15}));
  // Poles with horses at different heights round the platform.
  const Col horseCols[6] = {{0.96, 0.95, 0.92}, {0.30, 0.22, 0.16}, {0.70, 0.45, 0.22},
                            {0.96, 0.95, 0.92}, {0.55, 0.55, 0.60}, {0.70, 0.45, 0.22}};
  for (int k = 0; k < 6; ++k) {
    const double a = 2 * kPi * k / 6 + 0.3;
    const double r = 31;
    const V3 at{r * std::cos(a), 0, r * std::sin(a)};
    Prim rod = Limb(at + V3{0, 5, 0}, at + V3{0, 47, 0}, 0.8, 0.8, gold);
    rod.shine = 0.5;
    out.push_back(rod);
    const double hy = 17 + 4 * std::sin(k * 2.1);
    // The horse faces along the ride, tangent to the circle.
    Frame hf;
    hf.o = at + V3{0, hy, 0};
    hf.z = V3{-std::sin(a), 0, std::cos(a)};
    hf.y = {0, 1, 0};
    hf.x = Cross(hf.y, hf.z);
    const Col hc = horseCols[k];
    out.push_back(Ellipsoid(hf, {0, 0, 0}, {2.8, 3.3, 6.5}, hc));
    out.push_back(Limb(hf.ToWorld({0, 1.5, 5}), hf.ToWorld({0, 7, 7.5}), 2.0, 1.5, hc));
    out.push_back(Limb(hf.ToWorld({0, 7.5, 7.5}), hf.ToWorld({0, 5.5, 11}), 1.7, 1.2, hc));
    out.push_back(Ellipsoid(hf, {0, 3.0, -0.5}, {3.0, 1.0, 2.6}, red));
    for (int leg = 0; leg < 4; ++leg) {
      const double lx = (leg % 2 ? 1.6 : -1.6), lz = leg < 2 ? 4.5 : -4.5;
      const double kick = leg < 2 ? 2.5 : -2.5;
      out.push_back(
          Limb(hf.ToWorld({lx, -1.5, lz}), hf.ToWorld({lx, -7.5, lz + kick}), 0.9, 0.7, hc));
    }
  }
  RenderStyle st = ObjectStyle();
  st.contourDepth = 4.0;
  return FitAndRender(out, 112, 112, 3, st);
}

}  // namespace assetgen
