# Tone curves and the colour linearization.
target_sources(KrFramework PRIVATE
  KrLinearization.h
  KrCurveLinearization.h KrCurveLinearization.cpp
  KrVectorLinearization.h KrVectorLinearization.cpp
  KrColorLinearization.h KrColorLinearization.cpp)
