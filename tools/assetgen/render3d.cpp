#include "render3d.h"

#include <cmath>
#include <limits>

namespace assetgen {

namespace {

constexpr double kNoHit = std::numeric_limits<double>::infinity();

Frame Rotate(const Frame& f, const V3& axisA, const V3& axisB, double angle, V3 Frame::*a,
             V3 Frame::*b) {
  Frame r = f;
  const double c = std::cos(angle), s = std::sin(angle);
  r.*a = axisA * c + axisB * s;
  r.*b = axisB * c - axisA * s;
  return r;
}

void AxesFor(const V3& w, V3& u, V3& v) {
  const V3 helper = std::fabs(w.y) < 0.9 ? V3{0, 1, 0} : V3{1, 0, 0};
  u = Norm(Cross(helper, w));
  v = Cross(w, u);
}

struct Hit {
  double t = kNoHit;
  V3 n;  // world normal
};

void SphereHit(const V3& o, const V3& d, const V3& c, double r, Hit& best) {
  const V3 oc = o - c;
  const double bq = Dot(oc, d);
  const double cq = Dot(oc, oc) - r * r;
  const double disc = bq * bq - cq;
  if (disc < 0) return;
  const double t = -bq - std::sqrt(disc);
  if (t < best.t) {
    best.t = t;
    best.n = Norm(o + d * t - c);
  }
}

// Side of a cone from a (radius ra) to b (radius rb), and optionally its caps.
void ConeHit(const Prim& p, const V3& o, const V3& d, bool caps, Hit& best) {
  const V3 axis = p.b - p.a;
  const double h = Len(axis);
  if (h <= 1e-9) return;
  const V3 w = axis * (1.0 / h);
  const V3 u = p.ax, v = p.ay;
  const V3 rel = o - p.a;
  const double ox = Dot(rel, u), oy = Dot(rel, v), oz = Dot(rel, w);
  const double dx = Dot(d, u), dy = Dot(d, v), dz = Dot(d, w);
  const double k = (p.rb - p.ra) / h;
  const double r0 = p.ra + k * oz;
  const double A = dx * dx + dy * dy - k * k * dz * dz;
  const double B = ox * dx + oy * dy - k * dz * r0;
  const double C = ox * ox + oy * oy - r0 * r0;
  auto trySide = [&](double t) {
    if (!(t < best.t)) return;
    const double z = oz + t * dz;
    if (z < 0 || z > h) return;
    const double r = p.ra + k * z;
    if (r < 0) return;
    const double x = ox + t * dx, y = oy + t * dy;
    best.t = t;
    best.n = Norm(u * x + v * y + w * (-k * r));
  };
  if (std::fabs(A) > 1e-12) {
    const double disc = B * B - A * C;
    if (disc >= 0) {
      const double s = std::sqrt(disc);
      const double t1 = (-B - s) / A, t2 = (-B + s) / A;
      trySide(std::min(t1, t2));
      trySide(std::max(t1, t2));
    }
  } else if (std::fabs(B) > 1e-12) {
    trySide(-C / (2 * B));
  }
  if (!caps || std::fabs(dz) < 1e-12) return;
  auto tryCap = [&](double zc, double r, double sign) {
    const double t = (zc - oz) / dz;
    if (!(t < best.t)) return;
    const double x = ox + t * dx, y = oy + t * dy;
    if (x * x + y * y > r * r) return;
    best.t = t;
    best.n = w * sign;
  };
  tryCap(0, p.ra, -1);
  tryCap(h, p.rb, 1);
}

void EllipsoidHit(const Prim& p, const V3& o, const V3& d, Hit& best) {
  const V3 rel = o - p.origin;
  const V3 lo{Dot(rel, p.ax) / p.radii.x, Dot(rel, p.ay) / p.radii.y, Dot(rel, p.az) / p.radii.z};
  const V3 ld{Dot(d, p.ax) / p.radii.x, Dot(d, p.ay) / p.radii.y, Dot(d, p.az) / p.radii.z};
  const double A = Dot(ld, ld), B = Dot(lo, ld), C = Dot(lo, lo) - 1;
  const double disc = B * B - A * C;
  if (disc < 0) return;
  const double t = (-B - std::sqrt(disc)) / A;
  if (!(t < best.t)) return;
  const V3 q = lo + ld * t;
  best.t = t;
  best.n = Norm(p.ax * (q.x / p.radii.x) + p.ay * (q.y / p.radii.y) + p.az * (q.z / p.radii.z));
}

void ConvexHit(const Prim& p, const V3& o, const V3& d, Hit& best) {
  double tNear = -kNoHit, tFar = kNoHit;
  V3 nNear;
  for (const Plane& pl : p.planes) {
    const double denom = Dot(pl.n, d);
    const double dist = pl.d - Dot(pl.n, o);
    if (std::fabs(denom) < 1e-12) {
      if (dist < 0) return;
      continue;
    }
    const double t = dist / denom;
    if (denom < 0) {
      if (t > tNear) tNear = t, nNear = pl.n;
    } else if (t < tFar) {
      tFar = t;
    }
    if (tNear > tFar) return;
  }
  if (tNear < best.t && tNear > -kNoHit) {
    best.t = tNear;
    best.n = nNear;
  }
}

Hit Intersect(const Prim& p, const V3& o, const V3& d) {
  Hit h;
  switch (p.kind) {
    case Prim::Kind::kEllipsoid:
      EllipsoidHit(p, o, d, h);
      break;
    case Prim::Kind::kLimb:
      ConeHit(p, o, d, false, h);
      SphereHit(o, d, p.a, p.ra, h);
      SphereHit(o, d, p.b, p.rb, h);
      break;
    case Prim::Kind::kFrustum:
      ConeHit(p, o, d, true, h);
      break;
    case Prim::Kind::kConvex:
      ConvexHit(p, o, d, h);
      break;
  }
  return h;
}

Bounds PrimBounds(const Prim& p, const Camera& cam) {
  const V3 R = cam.right(), U = cam.up();
  Bounds b;
  auto addPoint = [&](const V3& q, double r) {
    const double u = Dot(q, R), v = Dot(q, U);
    b.u0 = std::min(b.u0, u - r);
    b.u1 = std::max(b.u1, u + r);
    b.v0 = std::min(b.v0, v - r);
    b.v1 = std::max(b.v1, v + r);
  };
  switch (p.kind) {
    case Prim::Kind::kEllipsoid: {
      auto half = [&](const V3& dir) {
        const double x = p.radii.x * Dot(p.ax, dir), y = p.radii.y * Dot(p.ay, dir),
                     z = p.radii.z * Dot(p.az, dir);
        return std::sqrt(x * x + y * y + z * z);
      };
      const double hu = half(R), hv = half(U);
      const double u = Dot(p.origin, R), v = Dot(p.origin, U);
      b = {u - hu, u + hu, v - hv, v + hv};
      break;
    }
    case Prim::Kind::kLimb:
    case Prim::Kind::kFrustum:
      addPoint(p.a, p.ra);
      addPoint(p.b, p.rb);
      break;
    case Prim::Kind::kConvex:
      for (const V3& q : p.verts) addPoint(q, 0);
      break;
  }
  return b;
}

}  // namespace

Frame RotX(const Frame& f, double angle) {
  return Rotate(f, f.y, f.z, angle, &Frame::y, &Frame::z);
}
Frame RotY(const Frame& f, double angle) {
  return Rotate(f, f.z, f.x, angle, &Frame::z, &Frame::x);
}
Frame RotZ(const Frame& f, double angle) {
  return Rotate(f, f.x, f.y, angle, &Frame::x, &Frame::y);
}

Prim Ellipsoid(const Frame& f, const V3& centre, const V3& radii, Col colour) {
  Prim p;
  p.kind = Prim::Kind::kEllipsoid;
  p.origin = f.ToWorld(centre);
  p.ax = f.x;
  p.ay = f.y;
  p.az = f.z;
  p.radii = radii;
  p.colour = colour;
  return p;
}

Prim Sphere(const V3& centre, double r, Col colour) {
  return Ellipsoid(Frame{}, centre, {r, r, r}, colour);
}

Prim Limb(const V3& a, const V3& b, double ra, double rb, Col colour) {
  Prim p;
  p.kind = Prim::Kind::kLimb;
  p.a = a;
  p.b = b;
  p.ra = ra;
  p.rb = rb;
  p.origin = a;
  p.az = Norm(b - a);
  AxesFor(p.az, p.ax, p.ay);
  p.colour = colour;
  return p;
}

Prim Frustum(const V3& a, const V3& b, double ra, double rb, Col colour) {
  Prim p = Limb(a, b, ra, rb, colour);
  p.kind = Prim::Kind::kFrustum;
  return p;
}

Prim Convex(const Frame& f, const std::vector<V3>& corners,
            const std::vector<std::vector<int>>& faces, Col colour) {
  Prim p;
  p.kind = Prim::Kind::kConvex;
  p.origin = f.o;
  p.ax = f.x;
  p.ay = f.y;
  p.az = f.z;
  p.colour = colour;
  V3 centroid;
  for (const V3& c : corners) {
    p.verts.push_back(f.ToWorld(c));
    centroid = centroid + p.verts.back();
  }
  centroid = centroid * (1.0 / static_cast<double>(corners.size()));
  for (const auto& face : faces) {
    const V3 a = p.verts[face[0]], b = p.verts[face[1]], c = p.verts[face[2]];
    V3 n = Norm(Cross(b - a, c - a));
    if (Dot(n, centroid - a) > 0) n = -n;
    p.planes.push_back({n, Dot(n, a)});
  }
  return p;
}

Prim Box(const Frame& f, const V3& c, const V3& h, Col colour) {
  std::vector<V3> corners;
  for (int i = 0; i < 8; ++i)
    corners.push_back(
        {c.x + ((i & 1) ? h.x : -h.x), c.y + ((i & 2) ? h.y : -h.y), c.z + ((i & 4) ? h.z : -h.z)});
  return Convex(
      f, corners,
      {{0, 2, 6, 4}, {1, 3, 7, 5}, {0, 1, 5, 4}, {2, 3, 7, 6}, {0, 1, 3, 2}, {4, 5, 7, 6}}, colour);
}

Bounds ProjectedBounds(const std::vector<Prim>& prims, const Camera& cam) {
  Bounds b;
  for (const Prim& p : prims) b.Add(PrimBounds(p, cam));
  return b;
}

Bounds TightBounds(const std::vector<Prim>& prims, const Camera& cam, double step) {
  const Bounds loose = ProjectedBounds(prims, cam);
  Camera probe = cam;
  probe.scale = 1.0 / step;
  probe.supersample = 1;
  probe.ox = 1 - loose.u0 / step;
  probe.oy = 1 + loose.v1 / step;
  const int w = static_cast<int>(std::ceil((loose.u1 - loose.u0) / step)) + 3;
  const int h = static_cast<int>(std::ceil((loose.v1 - loose.v0) / step)) + 3;
  RenderStyle style;
  style.outline = false;
  const Picture pic = Render(prims, probe, w, h, style);
  Bounds b;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      if (pic.IsMask(x, y)) continue;
      const double u = (x + 0.5 - probe.ox) * step, v = (probe.oy - y - 0.5) * step;
      b.u0 = std::min(b.u0, u - step * 0.5);
      b.u1 = std::max(b.u1, u + step * 0.5);
      b.v0 = std::min(b.v0, v - step * 0.5);
      b.v1 = std::max(b.v1, v + step * 0.5);
    }
  return b.u0 <= b.u1 ? b : loose;
}

Picture Render(const std::vector<Prim>& prims, const Camera& cam, int w, int h,
               const RenderStyle& style) {
  const int S = cam.supersample;
  const int sw = w * S, sh = h * S;
  const size_t n = static_cast<size_t>(sw) * sh;
  std::vector<double> depth(n, kNoHit);
  std::vector<Col> colour(n);
  std::vector<int> group(n, -1);

  const V3 R = cam.right(), U = cam.up(), F = cam.forward();
  const V3 light = Norm(V3{-0.62, 0.70, 0.50});  // camera space: top left, towards us
  const V3 halfway = Norm(light + V3{0, 0, 1});

  for (size_t pi = 0; pi < prims.size(); ++pi) {
    const Prim& p = prims[pi];
    const Bounds b = PrimBounds(p, cam);
    // Sub-sample centres lie at (i + 0.5) / S pixels.
    const int x0 = std::max(0, static_cast<int>(std::floor((cam.ox + b.u0 * cam.scale) * S)));
    const int x1 = std::min(sw - 1, static_cast<int>(std::ceil((cam.ox + b.u1 * cam.scale) * S)));
    const int y0 = std::max(0, static_cast<int>(std::floor((cam.oy - b.v1 * cam.scale) * S)));
    const int y1 = std::min(sh - 1, static_cast<int>(std::ceil((cam.oy - b.v0 * cam.scale) * S)));
    const int grp = p.group >= 0 ? p.group : 100000 + static_cast<int>(pi);
    for (int sy = y0; sy <= y1; ++sy) {
      const double v = (cam.oy - (sy + 0.5) / S) / cam.scale;
      for (int sx = x0; sx <= x1; ++sx) {
        const double u = ((sx + 0.5) / S - cam.ox) / cam.scale;
        const V3 o = R * u + U * v - F * 1000.0;
        const Hit hit = Intersect(p, o, F);
        const size_t i = static_cast<size_t>(sy) * sw + sx;
        if (!(hit.t < depth[i])) continue;
        depth[i] = hit.t;
        group[i] = grp;
        const V3 nc{Dot(hit.n, R), Dot(hit.n, U), -Dot(hit.n, F)};
        const double lambert = std::max(0.0, Dot(nc, light));
        double tone = style.ambient + style.diffuse * lambert;
        tone = tone * (1 - p.flat) + p.flat;
        Col base = p.colour;
        if (p.paint) {
          const V3 rel = o + F * hit.t - p.origin;
          const V3 local{Dot(rel, p.ax), Dot(rel, p.ay), Dot(rel, p.az)};
          const V3 ln{Dot(hit.n, p.ax), Dot(hit.n, p.ay), Dot(hit.n, p.az)};
          base = p.paint(local, ln);
        }
        Col c = base * tone;
        if (p.shine > 0) {
          const double s = std::pow(std::max(0.0, Dot(nc, halfway)), 24.0) * p.shine;
          c = c + Col{s, s, s};
        }
        colour[i] = c;
      }
    }
  }

  // Resolve: a pixel is solid when at least half of its samples hit; its
  // colour is the mean of the samples that hit, so edges stay hard.
  Picture pic(w, h);
  std::vector<double> pdepth(static_cast<size_t>(w) * h, kNoHit);
  std::vector<int> pgroup(static_cast<size_t>(w) * h, -1);
  std::vector<Col> pcol(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      int hits = 0;
      Col sum;
      double dsum = 0;
      int groups[64];
      int ng = 0;
      for (int j = 0; j < S; ++j)
        for (int i = 0; i < S; ++i) {
          const size_t k = static_cast<size_t>(y * S + j) * sw + (x * S + i);
          if (depth[k] == kNoHit) continue;
          ++hits;
          sum += colour[k];
          dsum += depth[k];
          if (ng < 64) groups[ng++] = group[k];
        }
      if (hits * 2 < S * S) continue;
      const size_t pi = static_cast<size_t>(y) * w + x;
      pcol[pi] = sum * (1.0 / hits);
      pdepth[pi] = dsum / hits;
      // The most frequent group among the samples.
      int bestG = groups[0], bestC = 0;
      for (int a = 0; a < ng; ++a) {
        int c = 0;
        for (int q = 0; q < ng; ++q) c += groups[q] == groups[a];
        if (c > bestC) bestC = c, bestG = groups[a];
      }
      pgroup[pi] = bestG;
    }

  auto solid = [&](int x, int y) {
    return x >= 0 && y >= 0 && x < w && y < h && pdepth[static_cast<size_t>(y) * w + x] != kNoHit;
  };
  const int dx[4] = {1, -1, 0, 0}, dy[4] = {0, 0, 1, -1};
  std::vector<Col> finalCol = pcol;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      if (!solid(x, y)) continue;
      const size_t pi = static_cast<size_t>(y) * w + x;
      for (int k = 0; k < 4; ++k) {
        const int qx = x + dx[k], qy = y + dy[k];
        if (!solid(qx, qy)) continue;
        const size_t qi = static_cast<size_t>(qy) * w + qx;
        if (pgroup[qi] != pgroup[pi] && pdepth[qi] < pdepth[pi] - style.contourDepth) {
          finalCol[pi] = pcol[pi] * style.contourDarken;
          break;
        }
      }
    }
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (solid(x, y)) pic.At(x, y) = ToRgb(finalCol[static_cast<size_t>(y) * w + x]);
  if (!style.outline) return pic;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      if (solid(x, y)) continue;
      bool edge = false;
      Col darkest{1, 1, 1};
      for (int k = 0; k < 4; ++k) {
        const int qx = x + dx[k], qy = y + dy[k];
        if (!solid(qx, qy)) continue;
        edge = true;
        const Col c = pcol[static_cast<size_t>(qy) * w + qx];
        if (Luma(c) < Luma(darkest)) darkest = c;
      }
      if (!edge) continue;
      Col o = darkest * style.outlineDark;
      if (Luma(o) > 0.16) o = o * (0.16 / Luma(o));
      pic.At(x, y) = ToRgb(o);
    }
  return pic;
}

}  // namespace assetgen
