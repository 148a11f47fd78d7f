// A tiny orthographic ray caster for sprites: figures and objects are built
// from ellipsoids, tapered limbs, capped cones and convex polyhedra, lit from
// the top left, and turned into hard-edged pixels with a dark outline.
#pragma once

#include <functional>
#include <vector>

#include "core.h"
#include "picture.h"

namespace assetgen {

// Paints a surface point given in the primitive's own frame, with the
// surface normal in that frame.
using Paint = std::function<Col(const V3& local, const V3& localNormal)>;

struct Plane {
  V3 n;      // outward unit normal
  double d;  // points p with Dot(n, p) <= d are inside
};

struct Prim {
  enum class Kind { kEllipsoid, kLimb, kFrustum, kConvex };
  Kind kind = Kind::kEllipsoid;
  V3 origin;                                 // frame origin in the world
  V3 ax{1, 0, 0}, ay{0, 1, 0}, az{0, 0, 1};  // frame axes in the world
  V3 radii{1, 1, 1};                         // ellipsoid
  V3 a, b;                                   // limb and frustum axis ends
  double ra = 1, rb = 1;                     // radii at a and b
  std::vector<Plane> planes;                 // convex
  std::vector<V3> verts;                     // convex, for the screen bounds
  Col colour{0.8, 0.8, 0.8};
  Paint paint;
  int group = -1;      // parts of one group get no contour between them
  double shine = 0.0;  // strength of the specular highlight
  double flat = 0.0;   // 0 = fully lit, 1 = ignores the light
};

// A frame: origin plus orthonormal axes (x right, y up, z forward).
struct Frame {
  V3 o;
  V3 x{1, 0, 0}, y{0, 1, 0}, z{0, 0, 1};
  V3 ToWorld(const V3& p) const { return o + x * p.x + y * p.y + z * p.z; }
  V3 Dir(const V3& d) const { return x * d.x + y * d.y + z * d.z; }
};

// Turns a frame about its own x, y or z axis by `angle` radians.
Frame RotX(const Frame& f, double angle);
Frame RotY(const Frame& f, double angle);
Frame RotZ(const Frame& f, double angle);

Prim Ellipsoid(const Frame& f, const V3& centre, const V3& radii, Col colour);
Prim Sphere(const V3& centre, double r, Col colour);
Prim Limb(const V3& a, const V3& b, double ra, double rb, Col colour);
Prim Frustum(const V3& a, const V3& b, double ra, double rb, Col colour);
// A box with half extents `half` around `centre` (given in frame `f`).
Prim Box(const Frame& f, const V3& centre, const V3& half, Col colour);
// A convex solid from its corner points (in frame `f`) and faces (corner
// indices); the face planes face away from the centroid.
Prim Convex(const Frame& f, const std::vector<V3>& corners,
            const std::vector<std::vector<int>>& faces, Col colour);

struct Camera {
  double elevation = 0.44;  // radians the view looks down
  double scale = 1.0;       // pixels per world unit
  double ox = 0, oy = 0;    // pixel position of the world origin
  int supersample = 4;
  V3 right() const { return {1, 0, 0}; }
  V3 up() const { return {0, std::cos(elevation), -std::sin(elevation)}; }
  V3 forward() const { return {0, -std::sin(elevation), -std::cos(elevation)}; }
};

struct RenderStyle {
  double contourDepth = 3.0;  // depth step (world units) that draws an inner line
  double contourDarken = 0.62;
  double outlineDark = 0.30;  // outline = neighbour colour times this
  double ambient = 0.50;
  double diffuse = 0.62;
  bool outline = true;
};

// Screen bounds (u right, v up, world units) of the primitives.
struct Bounds {
  double u0 = 1e30, u1 = -1e30, v0 = 1e30, v1 = -1e30;
  void Add(const Bounds& o) {
    u0 = std::min(u0, o.u0);
    u1 = std::max(u1, o.u1);
    v0 = std::min(v0, o.v0);
    v1 = std::max(v1, o.v1);
  }
};
Bounds ProjectedBounds(const std::vector<Prim>& prims, const Camera& cam);
// The bounds of what is actually drawn, measured on a grid of `step` units.
Bounds TightBounds(const std::vector<Prim>& prims, const Camera& cam, double step = 0.25);

Picture Render(const std::vector<Prim>& prims, const Camera& cam, int w, int h,
               const RenderStyle& style = {});

}  // namespace assetgen
