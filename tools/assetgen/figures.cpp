#include "figures.h"

#include <cmath>
#include <functional>
#include <map>

#include "render3d.h"

namespace assetgen {

namespace {

// Figures are modelled in their own frame: x to the side, y up, z forward,
// the ground contact point at the origin. One unit is about one pixel before
// the strip is fitted to the frame.

// The figures turn a little further towards or away from the viewer than
// their path does, so faces and backs read clearly at this small size.
V3 Forward(int dir, double a) {  // a: radians off the line of sight
  const double s = std::sin(a), c = std::cos(a);
  switch (dir) {
    case 1:
      return {s, 0, -c};  // right and away from the viewer (up the screen)
    case 2:
      return {s, 0, c};  // right and towards the viewer
    case 3:
      return {-s, 0, c};  // left and towards the viewer
    default:
      return {-s, 0, -c};  // left and away
  }
}

Frame FigureFrame(int dir, double angle = 0.66) {
  Frame f;
  f.z = Forward(dir, angle);
  f.y = {0, 1, 0};
  f.x = Cross(f.y, f.z);
  return f;
}

using Prims = std::vector<Prim>;

Prim Grouped(Prim p, int group) {
  p.group = group;
  return p;
}

// Orients a limb's cross-section axes so that its paint sees x as the
// figure's side and y as forward (for upright limbs) or up (for limbs
// pointing forward).
void AlignLimb(Prim& p, const Frame& f) {
  V3 x = f.x - p.az * Dot(f.x, p.az);
  if (Len(x) < 1e-6) x = f.z - p.az * Dot(f.z, p.az);
  p.ax = Norm(x);
  p.ay = Cross(p.az, p.ax);
  if (Dot(p.ay, f.y + f.z) < 0) p.ay = -p.ay;
}

double Wrap01(double q) {
  return q - std::floor(q);
}

// Foot path of one leg over a cycle: on the ground for `duty` of it,
// sliding back under the body; then lifted and swung forward.
struct FootPath {
  double z, y;
};
FootPath Foot(double q, double duty, double stride, double lift) {
  q = Wrap01(q);
  if (q < duty) return {stride * (0.5 - q / duty), 0};
  const double r = (q - duty) / (1 - duty);
  const double s = 0.5 - 0.5 * std::cos(kPi * r);
  return {stride * (-0.5 + s), lift * std::sin(kPi * r)};
}

// Two-bone leg: returns the knee for hip and ankle; the knee points along
// `bendDir` (forward for people, backward for a horse's hind leg).
V3 Knee(const V3& hip, V3& ankle, double l1, double l2, const V3& bendDir) {
  V3 d = ankle - hip;
  double dist = Len(d);
  const double maxd = (l1 + l2) * 0.998;
  if (dist > maxd) {
    ankle = hip + d * (maxd / dist);
    d = ankle - hip;
    dist = maxd;
  }
  const V3 dn = d * (1.0 / dist);
  const double cosA = std::clamp((l1 * l1 + dist * dist - l2 * l2) / (2 * l1 * dist), -1.0, 1.0);
  const double A = std::acos(cosA);
  V3 perp = bendDir - dn * Dot(bendDir, dn);
  perp = Len(perp) < 1e-9 ? V3{0, 0, 1} : Norm(perp);
  return hip + (dn * std::cos(A) + perp * std::sin(A)) * l1;
}

struct ArmShape {
  double l1 = 8, l2 = 7.5, r1 = 1.6, r2 = 1.35, rh = 1.5;
  Col upper, lower, hand;
};

// Adds an arm hanging from `shoulder` (figure coordinates), swung forward by
// `swing` radians, spread sideways by `spread` and bent at the elbow.
void AddArm(Prims& out, const Frame& f, const V3& shoulder, double side, double swing,
            double spread, double bend, const ArmShape& a, int group) {
  const V3 d1 = Norm(V3{side * std::sin(spread), -std::cos(swing) * std::cos(spread),
                        std::sin(swing) * std::cos(spread)});
  const V3 elbow = shoulder + d1 * a.l1;
  V3 fwd = V3{0, 0, 1} - d1 * d1.z;
  fwd = Len(fwd) < 1e-9 ? V3{0, 1, 0} : Norm(fwd);
  const V3 d2 = Norm(d1 * std::cos(bend) + fwd * std::sin(bend));
  const V3 hand = elbow + d2 * a.l2;
  out.push_back(
      Grouped(Limb(f.ToWorld(shoulder), f.ToWorld(elbow), a.r1, a.r1 * 0.88, a.upper), group));
  out.push_back(
      Grouped(Limb(f.ToWorld(elbow), f.ToWorld(hand), a.r2, a.r2 * 0.85, a.lower), group));
  out.push_back(Grouped(Sphere(f.ToWorld(hand + d2 * 0.4), a.rh, a.hand), group));
}

struct LegShape {
  double l1 = 10.5, l2 = 10.5, r1 = 2.3, r2 = 1.7, ankleY = 1.4;
  double footLen = 4.2, footW = 1.5, footH = 1.2;
  Col thigh, shin, foot;
  // Paints the shin by height above the ground (for boots and socks).
  std::function<Col(double y)> shinPaint;
};

void AddLeg(Prims& out, const Frame& f, const V3& hip, double side, const FootPath& fp,
            const LegShape& l, int group) {
  V3 ankle{hip.x + side * 0.3, l.ankleY + fp.y, fp.z};
  const V3 knee = Knee(hip, ankle, l.l1, l.l2, {0, 0, 1});
  out.push_back(Grouped(Limb(f.ToWorld(hip), f.ToWorld(knee), l.r1, l.r1 * 0.8, l.thigh), group));
  Prim shin = Limb(f.ToWorld(knee), f.ToWorld(ankle), l.r2, l.r2 * 0.8, l.shin);
  if (l.shinPaint) {
    const double kneeY = knee.y, ankleY = ankle.y;
    const double len = Len(ankle - knee);
    auto paint = l.shinPaint;
    shin.paint = [paint, kneeY, ankleY, len](const V3& p, const V3&) {
      const double t = std::clamp(p.z / len, 0.0, 1.0);
      return paint(kneeY + (ankleY - kneeY) * t);
    };
  }
  out.push_back(Grouped(shin, group));
  Frame ff = f;
  ff.o = f.ToWorld(ankle);
  const double lift = std::clamp(fp.y * 0.12, 0.0, 0.5);
  ff = RotX(ff, lift);
  Prim foot = Ellipsoid(ff, {0, -l.footH * 0.35, l.footLen * 0.32},
                        {l.footW, l.footH, l.footLen * 0.5}, l.foot);
  out.push_back(Grouped(foot, group));
}

struct FaceLook {
  Col skin, hair, eyes{0.08, 0.06, 0.06};
  bool longHair = false, moustache = false, lips = false, bald = false;
};

// A head whose paint puts hair, eyes and mouth on the ellipsoid itself.
Prim Head(const Frame& f, const V3& c, const V3& radii, const FaceLook& face) {
  Prim h = Ellipsoid(f, c, radii, face.skin);
  const V3 r = radii;
  h.paint = [face, r](const V3& p, const V3&) {
    const double x = p.x / r.x, y = p.y / r.y, z = p.z / r.z;
    if (!face.bald && ((y > 0.40 - 0.10 * z && z < 0.85) || (z < -0.25 && y > -0.55)))
      return face.hair;
    if (face.longHair && z < 0.1 && std::fabs(x) > 0.55 && y > -0.7) return face.hair;
    if (z > 0.45) {
      for (double ex : {-0.36, 0.36}) {
        const double dx = x - ex, dy = y - 0.06;
        if (dx * dx + dy * dy * 0.7 < 0.042) return face.eyes;
        // Brows make the face read as a face even a few pixels wide.
        if (!face.bald && std::fabs(dx) < 0.2 && y > 0.24 && y < 0.33) return face.hair * 0.8;
      }
      if (face.moustache && y > -0.42 && y < -0.2 && std::fabs(x) < 0.42) return face.hair;
      if (y > -0.58 && y < -0.44 && std::fabs(x) < 0.25)
        return face.lips ? Col{0.75, 0.18, 0.2} : face.skin * 0.7;
    }
    return face.skin;
  };
  return h;
}

// ---------------------------------------------------------------------------
// People

struct HumanGait {
  double duty = 0.58, stride = 11, lift = 3.2, bob = 0.7, lean = 0.04;
  double armSwing = 0.42, elbow = 0.25, armSpread = 0.12;
  bool run = false;
};

const Col kTan{0.88, 0.61, 0.40};

Prims Tarzan(int dir, double p) {
  const Frame base = FigureFrame(dir);
  HumanGait g;
  Prims out;
  const double bob = g.bob * std::cos(4 * kPi * (p - 0.29));
  const double hipY = 21.5 + bob;
  Frame f = base;
  LegShape leg;
  leg.thigh = kTan;
  leg.shin = kTan;
  leg.foot = kTan * 0.92;
  const FootPath fl = Foot(p, g.duty, g.stride, g.lift);
  const FootPath fr = Foot(p + 0.5, g.duty, g.stride, g.lift);
  AddLeg(out, f, {3.0, hipY, 0}, 1, fl, leg, 3);
  AddLeg(out, f, {-3.0, hipY, 0}, -1, fr, leg, 4);
  // Torso leans a little into the walk.
  Frame t = f;
  t.o = f.ToWorld({0, hipY, 0});
  t = RotX(t, g.lean);
  out.push_back(Grouped(Ellipsoid(t, {0, 1.2, 0}, {4.6, 3.2, 3.0}, kTan), 1));
  out.push_back(Grouped(Ellipsoid(t, {0, 5.0, 0.2}, {4.4, 4.2, 2.9}, kTan), 1));
  Prim chest = Ellipsoid(t, {0, 10.4, 0.2}, {6.0, 5.0, 3.6}, kTan);
  chest.paint = [](const V3& q, const V3&) {
    // A necklace of white teeth on a cord, only seen from the front.
    const double arc = 2.6 - 0.09 * q.x * q.x;
    if (q.z > 1.2 && std::fabs(q.y - arc) < 0.55 && std::fabs(q.x) < 4.2)
      return std::fmod(std::fabs(q.x) + 0.4, 1.4) < 0.8 ? Col{0.97, 0.95, 0.85}
                                                        : Col{0.35, 0.22, 0.1};
    return kTan;
  };
  out.push_back(Grouped(chest, 1));
  // Loincloth: a short leopard-skin skirt on a belt of rope.
  const double sway = 0.5 * std::sin(2 * kPi * p);
  Prim cloth =
      Frustum(t.ToWorld({0, 2.6, 0}), t.ToWorld({0, -4.2, sway}), 4.9, 5.9, Col{0.86, 0.62, 0.22});
  AlignLimb(cloth, t);
  cloth.paint = [](const V3& q, const V3&) {
    const double ang = std::atan2(q.y, q.x);
    const int cx = static_cast<int>(std::floor(ang * 2.4)),
              cy = static_cast<int>(std::floor(q.z / 2.2));
    const double jx = HashUnit(cx, cy, 7) * 0.6 + 0.2, jy = HashUnit(cx, cy, 8) * 0.6 + 0.2;
    const double fx = ang * 2.4 - cx - jx, fy = q.z / 2.2 - cy - jy;
    if (fx * fx + fy * fy < 0.07) return Col{0.26, 0.14, 0.05};
    return Col{0.96, 0.66, 0.20};
  };
  out.push_back(Grouped(cloth, 7));
  Prim belt =
      Frustum(t.ToWorld({0, 2.9, 0}), t.ToWorld({0, 1.9, 0}), 4.85, 4.95, Col{0.45, 0.30, 0.14});
  out.push_back(Grouped(belt, 7));
  // Shoulders, neck and head.
  out.push_back(Grouped(Sphere(t.ToWorld({5.6, 13.2, 0}), 2.3, kTan), 1));
  out.push_back(Grouped(Sphere(t.ToWorld({-5.6, 13.2, 0}), 2.3, kTan), 1));
  out.push_back(
      Grouped(Limb(t.ToWorld({0, 13.5, 0}), t.ToWorld({0, 16.5, 0.3}), 1.7, 1.6, kTan), 2));
  FaceLook face{kTan, Col{0.16, 0.10, 0.06}};
  face.longHair = true;
  out.push_back(Grouped(Head(t, {0, 20.4, 0.6}, {4.2, 4.8, 4.4}, face), 2));
  // Long mane of hair down to the shoulders.
  out.push_back(Grouped(Ellipsoid(t, {0, 17.2, -3.0}, {4.6, 7.2, 2.8}, face.hair), 2));
  // Arms swing against the legs.
  ArmShape arm;
  arm.r1 = 1.8;
  arm.r2 = 1.5;
  arm.upper = kTan;
  arm.lower = kTan;
  arm.hand = kTan;
  const double swingL = -g.armSwing * (fl.z / (g.stride * 0.5));
  const double swingR = -g.armSwing * (fr.z / (g.stride * 0.5));
  const V3 shL = t.ToWorld({6.2, 13.0, 0}), shR = t.ToWorld({-6.2, 13.0, 0});
  auto local = [&](const V3& w) {  // world to figure coordinates
    const V3 r = w - f.o;
    return V3{Dot(r, f.x), Dot(r, f.y), Dot(r, f.z)};
  };
  AddArm(out, f, local(shL), 1, swingL, g.armSpread, g.elbow + 0.25 * std::max(0.0, swingL), arm,
         5);
  AddArm(out, f, local(shR), -1, swingR, g.armSpread, g.elbow + 0.25 * std::max(0.0, swingR), arm,
         6);
  return out;
}

// The strongman walks with a swagger or runs; `run` switches the gait.
Prims Strongman(int dir, double p, bool run) {
  const Frame f = FigureFrame(dir);
  HumanGait g;
  if (run) {
    g.duty = 0.36;
    g.stride = 17;
    g.lift = 7.5;
    g.bob = 1.6;
    g.lean = 0.24;
    g.armSwing = 0.95;
    g.elbow = 1.45;
    g.armSpread = 0.18;
  } else {
    g.duty = 0.6;
    g.stride = 10;
    g.lift = 2.8;
    g.bob = 0.8;
    g.lean = 0.02;
    g.armSwing = 0.4;
    g.elbow = 0.35;
    g.armSpread = 0.32;
  }
  Prims out;
  const double bob = run ? g.bob * std::fabs(std::sin(2 * kPi * (p + 0.05))) - 0.6
                         : g.bob * std::cos(4 * kPi * (p - 0.3));
  const double hipY = (run ? 19.5 : 20.0) + bob;
  const Col skin{0.83, 0.55, 0.36};
  const Col trunks{0.80, 0.12, 0.12};
  LegShape leg;
  leg.l1 = 10.0;
  leg.l2 = 10.0;
  leg.r1 = 3.0;
  leg.r2 = 2.2;
  leg.thigh = skin;
  leg.shin = skin;
  leg.foot = Col{0.14, 0.12, 0.12};
  leg.footLen = 5.0;
  leg.footW = 1.9;
  leg.footH = 1.5;
  leg.shinPaint = [skin](double y) { return y < 6.5 ? Col{0.16, 0.13, 0.12} : skin; };
  const FootPath fl = Foot(p, g.duty, g.stride, g.lift);
  const FootPath fr = Foot(p + 0.5, g.duty, g.stride, g.lift);
  AddLeg(out, f, {3.4, hipY, 0}, 1, fl, leg, 3);
  AddLeg(out, f, {-3.4, hipY, 0}, -1, fr, leg, 4);
  Frame t = f;
  t.o = f.ToWorld({0, hipY, 0});
  t = RotX(t, g.lean);
  // Trunks and a broad belt.
  Prim tr = Frustum(t.ToWorld({0, 3.2, 0}), t.ToWorld({0, -2.4, 0}), 5.0, 5.6, trunks);
  out.push_back(Grouped(tr, 7));
  out.push_back(Grouped(Ellipsoid(t, {0, 0.0, 0}, {5.4, 3.4, 3.6}, trunks), 7));
  out.push_back(Grouped(
      Frustum(t.ToWorld({0, 3.9, 0}), t.ToWorld({0, 2.6, 0}), 5.05, 5.05, Col{0.95, 0.78, 0.20}),
      7));
  // Waist, the big chest with its pectorals, and the shoulders.
  out.push_back(Grouped(Ellipsoid(t, {0, 6.0, 0}, {4.8, 3.8, 3.4}, skin), 1));
  Prim chest = Ellipsoid(t, {0, 11.2, 0}, {7.8, 5.4, 4.4}, skin);
  chest.paint = [skin](const V3& q, const V3&) {
    // A dark line between the pectorals and under them.
    if (q.z > 2.8 && (std::fabs(q.x) < 0.35 || (q.y < -1.2 && q.y > -2.0 && std::fabs(q.x) < 5.5)))
      return skin * 0.72;
    return skin;
  };
  out.push_back(Grouped(chest, 1));
  out.push_back(Grouped(Sphere(t.ToWorld({7.4, 14.2, 0}), 3.2, skin), 1));
  out.push_back(Grouped(Sphere(t.ToWorld({-7.4, 14.2, 0}), 3.2, skin), 1));
  out.push_back(
      Grouped(Limb(t.ToWorld({0, 14.5, 0}), t.ToWorld({0, 17.5, 0.3}), 2.7, 2.4, skin), 2));
  FaceLook face{skin, Col{0.12, 0.08, 0.06}};
  face.moustache = true;
  Frame ht = t;
  if (run) ht = RotX(ht, -0.15);
  out.push_back(Grouped(Head(ht, {0, 20.9, 0.6}, {4.1, 4.6, 4.3}, face), 2));
  ArmShape arm;
  arm.l1 = 7.6;
  arm.l2 = 7.2;
  arm.r1 = 2.6;
  arm.r2 = 2.1;
  arm.rh = 1.9;
  arm.upper = skin;
  arm.lower = skin;
  arm.hand = skin;
  auto local = [&](const V3& w) {
    const V3 r = w - f.o;
    return V3{Dot(r, f.x), Dot(r, f.y), Dot(r, f.z)};
  };
  const double swingL = -g.armSwing * (fl.z / (g.stride * 0.5)) - (run ? 0.1 : 0.0);
  const double swingR = -g.armSwing * (fr.z / (g.stride * 0.5)) - (run ? 0.1 : 0.0);
  AddArm(out, f, local(t.ToWorld({8.6, 13.8, 0})), 1, swingL, g.armSpread, g.elbow, arm, 5);
  AddArm(out, f, local(t.ToWorld({-8.6, 13.8, 0})), -1, swingR, g.armSpread, g.elbow, arm, 6);
  return out;
}

Prims Queen(int dir, double p, Col dress, Col trim) {
  const Frame f = FigureFrame(dir);
  Prims out;
  const double bob = 0.45 * std::cos(4 * kPi * (p - 0.3));
  const Col skin{0.95, 0.76, 0.62};
  const Col hair{0.92, 0.72, 0.30};
  const Col gold{0.98, 0.80, 0.22};
  // Shoes peek out under the hem in turn.
  for (int s = 0; s < 2; ++s) {
    const double q = Wrap01(p + 0.5 * s);
    const double z = 3.2 * std::sin(2 * kPi * q) + 1.0;
    const double side = s == 0 ? 2.2 : -2.2;
    Frame sf = f;
    sf.o = f.ToWorld({side, 0.9, z});
    out.push_back(Grouped(Ellipsoid(sf, {0, 0, 0}, {1.5, 1.1, 2.6}, dress * 0.55), 8));
  }
  const double waistY = 22.0 + bob;
  // The long dress flares from the waist to the ground and sways with the steps.
  const double swayZ = 0.9 * std::sin(2 * kPi * p), swayX = 0.5 * std::sin(2 * kPi * p + 1.0);
  Prim skirt = Frustum(f.ToWorld({0, waistY, 0}), f.ToWorld({swayX, 1.0, swayZ}), 4.2, 10.6, dress);
  AlignLimb(skirt, f);
  const double skirtLen = waistY - 1.0;
  skirt.paint = [dress, trim, skirtLen](const V3& q, const V3&) {
    const double t = q.z / skirtLen;  // 0 at the waist, 1 at the hem
    if (t > 0.86 && t < 0.95) return trim;
    // Soft folds running down the dress.
    const double ang = std::atan2(q.y, q.x);
    const double fold = 0.9 + 0.1 * std::cos(ang * 9);
    return dress * fold;
  };
  out.push_back(Grouped(skirt, 1));
  Frame t = f;
  t.o = f.ToWorld({0, waistY, 0});
  out.push_back(
      Grouped(Frustum(t.ToWorld({0, 0.6, 0}), t.ToWorld({0, -0.6, 0}), 4.25, 4.45, trim), 1));
  out.push_back(Grouped(Ellipsoid(t, {0, 4.6, 0.1}, {4.3, 4.8, 3.0}, dress), 1));
  // Ermine collar round the shoulders.
  Prim collar = Ellipsoid(t, {0, 8.6, 0}, {6.1, 1.9, 3.7}, Col{0.97, 0.96, 0.93});
  collar.paint = [](const V3& q, const V3&) {
    const int cx = static_cast<int>(std::floor(q.x * 0.9 + 10)),
              cz = static_cast<int>(std::floor(q.z * 0.9 + 10));
    if ((cx + 2 * cz) % 4 == 0 && q.y > 0) return Col{0.1, 0.1, 0.1};
    return Col{0.97, 0.96, 0.93};
  };
  out.push_back(Grouped(collar, 1));
  out.push_back(
      Grouped(Limb(t.ToWorld({0, 9.5, 0}), t.ToWorld({0, 12.0, 0.2}), 1.4, 1.3, skin), 2));
  FaceLook face{skin, hair};
  face.longHair = true;
  face.lips = true;
  out.push_back(Grouped(Head(t, {0, 15.4, 0.4}, {3.9, 4.4, 4.0}, face), 2));
  out.push_back(Grouped(Ellipsoid(t, {0, 13.0, -1.9}, {4.5, 6.4, 2.9}, hair), 2));
  // Crown: a golden band with five points and a red jewel in front.
  Prim band = Frustum(t.ToWorld({0, 18.2, 0.3}), t.ToWorld({0, 20.5, 0.3}), 3.1, 3.5, gold);
  AlignLimb(band, t);
  band.shine = 0.5;
  band.paint = [gold](const V3& q, const V3&) {
    if (q.y > 2.4 && std::fabs(q.x) < 1.0 && q.z > 0.6 && q.z < 1.8) return Col{0.85, 0.1, 0.15};
    return gold;
  };
  out.push_back(Grouped(band, 9));
  for (int k = 0; k < 5; ++k) {
    const double a = 2 * kPi * k / 5 + kPi / 2;
    const V3 b{3.1 * std::cos(a), 20.3, 0.3 + 3.1 * std::sin(a)};
    out.push_back(Grouped(Limb(t.ToWorld(b), t.ToWorld(b + V3{0, 2.2, 0}), 0.8, 0.2, gold), 9));
  }
  // Arms in puffed sleeves, swinging gently.
  ArmShape arm;
  arm.l1 = 7.0;
  arm.l2 = 6.8;
  arm.r1 = 1.9;
  arm.r2 = 1.2;
  arm.rh = 1.3;
  arm.upper = dress * 1.05;
  arm.lower = skin;
  arm.hand = skin;
  const double swing = 0.3 * std::sin(2 * kPi * p);
  AddArm(out, f, {5.2, waistY + 7.6, 0}, 1, swing, 0.25, 0.5, arm, 5);
  AddArm(out, f, {-5.2, waistY + 7.6, 0}, -1, -swing, 0.25, 0.5, arm, 6);
  out.push_back(Grouped(Sphere(f.ToWorld({5.2, waistY + 7.8, 0}), 2.4, dress * 1.05), 5));
  out.push_back(Grouped(Sphere(f.ToWorld({-5.2, waistY + 7.8, 0}), 2.4, dress * 1.05), 6));
  return out;
}

// ---------------------------------------------------------------------------
// Cylinder creatures hop with squash and stretch.

Prims Cylinder(int dir, double p, Col body) {
  const Frame f = FigureFrame(dir);
  Prims out;
  // Key poses over the cycle: squash on the ground, stretch at take-off,
  // round in the air, stretch before landing, squash again.
  static const double kSquash[kFrames] = {0.72, 0.86, 1.18, 1.12, 1.04, 1.0,
                                          1.0,  1.04, 1.1,  1.08, 0.84, 0.74};
  const int fi = static_cast<int>(std::nearbyint(p * kFrames)) % kFrames;
  const double sy = kSquash[fi];
  const double sxz = 1.0 / std::sqrt(sy);
  const double airStart = 2.0 / kFrames, airEnd = 9.5 / kFrames;
  double lift = 0;
  if (p > airStart && p < airEnd) lift = 7.0 * std::sin(kPi * (p - airStart) / (airEnd - airStart));
  const double R = 9.5 * sxz, H = 23.0 * sy;
  const double y0 = lift + 2.0;
  // Little feet, which stay spread on the ground while squashed.
  for (double s : {-1.0, 1.0}) {
    Frame ff = f;
    ff.o = f.ToWorld({s * 4.6 * sxz, y0 - 0.6 + (lift > 0 ? -0.8 : 0), 2.2});
    out.push_back(Grouped(Ellipsoid(ff, {0, 0, 0}, {2.6, 1.7, 3.6}, body * 0.55), 3));
  }
  Prim cyl = Frustum(f.ToWorld({0, y0, 0}), f.ToWorld({0, y0 + H, 0}), R, R * 0.97, body);
  AlignLimb(cyl, f);
  const double Hc = H;
  cyl.paint = [body, Hc](const V3& q, const V3&) {
    // A smiling mouth on the front, below the eyes.
    const double ang = std::atan2(q.y, q.x);  // y of the limb frame faces forward
    const double front = ang - kPi / 2;
    const double h = q.z / Hc;
    const double mouth = 0.36 - 0.08 * std::cos(front * 3.0);
    if (std::fabs(front) < 0.5 && std::fabs(h - mouth) < 0.03) return Col{0.25, 0.05, 0.05};
    // A band of darker colour round the bottom.
    if (h < 0.12) return body * 0.8;
    return body;
  };
  out.push_back(Grouped(cyl, 1));
  Frame top = f;
  top.o = f.ToWorld({0, y0 + H, 0});
  out.push_back(Grouped(Ellipsoid(top, {0, 0, 0}, {R * 0.97, 3.6 * sy, R * 0.97}, body * 1.08), 1));
  // A springy feeler on top, which lags behind the squash and stretch.
  const V3 stalk0{0, 3.0 * sy, -1.0};
  const V3 stalk1 = stalk0 + V3{0, 5.0 + 3.0 * (1.0 - sy), -1.2 - 2.5 * (sy - 1.0)};
  out.push_back(
      Grouped(Limb(top.ToWorld(stalk0), top.ToWorld(stalk1), 0.75, 0.6, Col{0.2, 0.2, 0.22}), 4));
  Prim knob = Sphere(top.ToWorld(stalk1 + V3{0, 1.5, 0}), 2.4, Col{0.95, 0.36, 0.30});
  knob.shine = 0.5;
  out.push_back(Grouped(knob, 4));
  // Big eyes with black pupils looking ahead.
  for (double s : {-1.0, 1.0}) {
    Frame ef = f;
    ef.o = f.ToWorld({s * 3.7 * sxz, y0 + H * 0.72, R * 0.80});
    Prim eye = Ellipsoid(ef, {0, 0, 0}, {3.3, 4.2 * std::sqrt(sy), 2.5}, Col{0.98, 0.98, 0.96});
    eye.paint = [](const V3& q, const V3&) {
      const double dx = q.x / 3.3, dy = (q.y + 0.5) / 4.2;
      if (q.z > 0.8 && dx * dx + dy * dy < 0.25) return Col{0.05, 0.05, 0.08};
      return Col{0.98, 0.98, 0.96};
    };
    eye.shine = 0.6;
    eye.flat = 0.35;
    out.push_back(Grouped(eye, 2));
  }
  return out;
}

// ---------------------------------------------------------------------------
// Balls roll: the pattern turns a quarter turn per cycle, which maps it onto
// itself, so the cycle loops without a jump.

Prims Ball(int dir, double p, bool spots) {
  const Frame f = FigureFrame(dir);
  const double R = 20.0;
  Frame bf = f;
  bf.o = f.ToWorld({0, R, 0});
  bf = RotX(bf, 0.5 * kPi * p);
  Prims out;
  Prim ball = Ellipsoid(bf, {0, 0, 0}, {R, R, R}, Col{});
  ball.shine = 0.55;
  if (spots) {
    ball.paint = [R](const V3& q, const V3&) {
      const V3 n = q * (1.0 / R);
      const Col blue{0.12, 0.30, 0.85};
      // Four white spots round the rolling axis, yellow ones at its ends.
      const double ax = std::fabs(n.x), ay = std::fabs(n.y), az = std::fabs(n.z);
      if (ax > 0.86) return Col{0.98, 0.86, 0.20};
      if (ay > 0.86 || az > 0.86) return Col{0.97, 0.97, 0.97};
      // Small spots between them.
      const double d = std::fabs(ay - az);
      if (d < 0.12 && ay > 0.6 && ax < 0.2) return Col{0.5, 0.75, 1.0};
      return blue;
    };
  } else {
    ball.paint = [R](const V3& q, const V3&) {
      const V3 n = q * (1.0 / R);
      // Two white bands crossing at the ends of the rolling axis.
      if (std::fabs(n.x) > 0.9) return Col{0.98, 0.92, 0.35};
      if (std::fabs(n.y) < 0.13 || std::fabs(n.z) < 0.13) return Col{0.97, 0.97, 0.95};
      return Col{0.86, 0.10, 0.10};
    };
  }
  out.push_back(ball);
  return out;
}

// ---------------------------------------------------------------------------
// The horse trots: diagonal leg pairs move together.

Prims Horse(int dir, double p) {
  const Frame f = FigureFrame(dir, 0.95);  // more from the side: a horse reads best so
  Prims out;
  const Col coat{0.70, 0.42, 0.20};
  const Col dark{0.22, 0.12, 0.06};
  const Col hoof{0.2, 0.18, 0.17};
  const double bob = 0.8 * std::cos(4 * kPi * (p - 0.25));
  const double bodyY = 21.0 + bob;
  const double pitch = 0.03 * std::sin(4 * kPi * p);
  Frame b = f;
  b.o = f.ToWorld({0, bodyY, 0});
  b = RotX(b, pitch);
  auto local = [&](const V3& w) {
    const V3 r = w - f.o;
    return V3{Dot(r, f.x), Dot(r, f.y), Dot(r, f.z)};
  };
  struct LegDef {
    double x, z, phase;
    bool front;
  };
  const LegDef legs[4] = {{3.3, 9.5, 0.0, true},
                          {-3.3, 9.5, 0.5, true},
                          {3.3, -9.5, 0.5, false},
                          {-3.3, -9.5, 0.0, false}};
  int group = 10;
  for (const LegDef& L : legs) {
    const V3 top = local(b.ToWorld({L.x, -2.0, L.z}));
    const FootPath fp = Foot(p + L.phase, 0.5, 11.0, 4.5);
    V3 hoofPos{L.x, 1.6 + fp.y, L.z + fp.z};
    const double l1 = 9.0, l2 = 9.2;
    const V3 knee = Knee(top, hoofPos, l1, l2, L.front ? V3{0, 0, 1} : V3{0, 0, -1});
    out.push_back(Grouped(Limb(f.ToWorld(top), f.ToWorld(knee), 2.7, 1.7, coat), group));
    Prim lower = Limb(f.ToWorld(knee), f.ToWorld(hoofPos), 1.45, 1.25, coat);
    const double len = Len(hoofPos - knee);
    lower.paint = [coat, len](const V3& q, const V3&) {
      return q.z > len * 0.6 ? Col{0.95, 0.93, 0.88} : coat;  // white socks
    };
    out.push_back(Grouped(lower, group));
    out.push_back(Grouped(
        Frustum(f.ToWorld(hoofPos), f.ToWorld(hoofPos + V3{0, -1.6, 0.3}), 1.5, 1.8, hoof), group));
    ++group;
  }
  // Barrel, chest and rump.
  out.push_back(Grouped(Ellipsoid(b, {0, 0, 0}, {5.6, 6.2, 12.5}, coat), 1));
  out.push_back(Grouped(Sphere(b.ToWorld({0, 0.6, 8.6}), 5.8, coat), 1));
  out.push_back(Grouped(Sphere(b.ToWorld({0, 0.9, -8.4}), 6.0, coat), 1));
  // Red saddle cloth.
  Prim saddle = Ellipsoid(b, {0, 4.9, 0.5}, {6.0, 2.0, 5.2}, Col{0.78, 0.12, 0.12});
  saddle.paint = [](const V3& q, const V3&) {
    if (std::fabs(q.z) > 4.3 || std::fabs(q.x) > 5.2) return Col{0.98, 0.82, 0.25};
    return Col{0.78, 0.12, 0.12};
  };
  out.push_back(Grouped(saddle, 2));
  // Neck, head, ears and mane; the head nods with the trot.
  const double nod = 0.6 * std::sin(4 * kPi * p);
  const V3 neckA = b.ToWorld({0, 2.5, 10.5}), neckB = b.ToWorld({0, 13.5 + nod, 16.0});
  out.push_back(Grouped(Limb(neckA, neckB, 4.5, 3.2, coat), 3));
  Frame hf = b;
  hf.o = neckB;
  hf = RotX(hf, 0.75);
  Prim head = Limb(hf.ToWorld({0, 0.4, 0.4}), hf.ToWorld({0, 0, 9.0}), 3.4, 2.4, coat);
  AlignLimb(head, hf);
  head.paint = [coat](const V3& q, const V3&) {
    if (q.z > 7.2) return Col{0.30, 0.20, 0.15};  // dark muzzle
    // White blaze down the face, and the eyes on both sides.
    if (q.x > -0.8 && q.x < 0.8 && q.y > 1.2 && q.z > 1.5) return Col{0.96, 0.94, 0.9};
    if (q.z > 1.6 && q.z < 3.2 && std::fabs(q.x) > 2.0 && q.y > 0.2) return Col{0.06, 0.04, 0.03};
    return coat;
  };
  out.push_back(Grouped(head, 3));
  for (double s : {-1.0, 1.0})
    out.push_back(Grouped(
        Limb(hf.ToWorld({s * 1.4, 2.0, 0.8}), hf.ToWorld({s * 1.8, 4.4, 0.2}), 0.9, 0.35, coat),
        3));
  out.push_back(
      Grouped(Limb(b.ToWorld({0, 5.0, 8.5}), b.ToWorld({0, 15.4 + nod, 14.6}), 1.8, 1.7, dark), 3));
  out.push_back(Grouped(Sphere(hf.ToWorld({0, 2.6, 1.4}), 1.3, dark), 3));
  // Tail, swishing.
  const double swish = 1.4 * std::sin(2 * kPi * p);
  const V3 tailA = b.ToWorld({0, 3.2, -13.0});
  const V3 tailB = b.ToWorld({swish, -4.0, -17.2});
  const V3 tailC = b.ToWorld({swish * 1.6, -11.0, -17.6});
  out.push_back(Grouped(Limb(tailA, tailB, 1.5, 2.0, dark), 4));
  out.push_back(Grouped(Limb(tailB, tailC, 2.0, 1.0, dark), 4));
  return out;
}

// ---------------------------------------------------------------------------

Prims Build(const std::string& kind, int dir, double p) {
  if (kind == "tarzan01") return Tarzan(dir, p);
  if (kind == "arnolauf") return Strongman(dir, p, false);
  if (kind == "arnorenn") return Strongman(dir, p, true);
  if (kind == "koenigin") return Queen(dir, p, Col{0.80, 0.10, 0.13}, Col{0.98, 0.80, 0.25});
  if (kind == "koenigbl") return Queen(dir, p, Col{0.14, 0.28, 0.82}, Col{0.96, 0.96, 0.98});
  if (kind == "blauzyli") return Cylinder(dir, p, Col{0.20, 0.45, 0.95});
  if (kind == "gelbzyli") return Cylinder(dir, p, Col{0.98, 0.82, 0.16});
  if (kind == "grunzyli") return Cylinder(dir, p, Col{0.25, 0.78, 0.25});
  if (kind == "blaukuge") return Ball(dir, p, true);
  if (kind == "rotekuge") return Ball(dir, p, false);
  return Horse(dir, p);
}

RenderStyle FigureStyle() {
  RenderStyle s;
  s.contourDepth = 2.2;
  // Brighter shadows than the objects get: a face turned away from the
  // light must still read as a face.
  s.ambient = 0.64;
  s.diffuse = 0.5;
  return s;
}

}  // namespace

const std::vector<std::string>& FigureKinds() {
  static const std::vector<std::string> kinds = {"tarzan01", "blauzyli", "gelbzyli", "grunzyli",
                                                 "hottehue", "blaukuge", "rotekuge", "koenigin",
                                                 "koenigbl", "arnolauf", "arnorenn"};
  return kinds;
}

std::vector<Picture> FigureStrips(const std::string& kind) {
  Camera cam;
  // Every frame of every direction is fitted with one scale, so the figure
  // keeps its size when it turns, and stands on one ground line.
  Bounds dirBounds[4];
  Bounds all;
  for (int d = 0; d < 4; ++d)
    for (int fr = 0; fr < kFrames; ++fr) {
      dirBounds[d].Add(TightBounds(Build(kind, d + 1, fr / double(kFrames)), cam));
    }
  for (const Bounds& b : dirBounds) all.Add(b);
  const double usable = 44.0;
  double scale = usable / (all.v1 - all.v0);
  for (const Bounds& b : dirBounds) scale = std::min(scale, usable / (b.u1 - b.u0));
  std::vector<Picture> strips;
  for (int d = 0; d < 4; ++d) {
    Picture strip(kFrameSize * kFrames, kFrameSize);
    Camera c = cam;
    c.scale = scale;
    c.ox = 24.0 - scale * 0.5 * (dirBounds[d].u0 + dirBounds[d].u1);
    c.oy = 46.0 + scale * all.v0;
    for (int fr = 0; fr < kFrames; ++fr) {
      const Picture frame = Render(Build(kind, d + 1, fr / double(kFrames)), c, kFrameSize,
                                   kFrameSize, FigureStyle());
      strip.Paste(frame, fr * kFrameSize, 0, false);
    }
    strips.push_back(std::move(strip));
  }
  return strips;
}

Picture FigurePortrait(const std::string& kind, int w, int h) {
  Camera cam;
  const int dir = 2;
  const double phase = kind.find("zyli") != std::string::npos ? 5.0 / kFrames : 2.0 / kFrames;
  const auto prims = Build(kind, dir, phase);
  const Bounds b = TightBounds(prims, cam);
  const double scale = std::min((w - 3.0) / (b.u1 - b.u0), (h - 3.0) / (b.v1 - b.v0));
  cam.scale = scale;
  cam.ox = w * 0.5 - scale * 0.5 * (b.u0 + b.u1);
  cam.oy = h * 0.5 + scale * 0.5 * (b.v0 + b.v1);
  return Render(prims, cam, w, h, FigureStyle());
}

}  // namespace assetgen
