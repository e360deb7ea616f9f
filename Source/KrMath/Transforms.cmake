# Transforms, splines and ICC parametric curves.
target_sources(KrFramework PRIVATE
  KrTrafo.h KrTrafo.cpp
  KrSpline.h KrSpline.cpp
  KrSmoothSpline.h KrSmoothSpline.cpp
  KrBezierSpline.h KrBezierSpline.cpp
  KrICCParametricCurve.h KrICCParametricCurve.cpp)
