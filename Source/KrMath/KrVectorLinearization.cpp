#include "KrMath/KrVectorLinearization.h"

KrVectorLinearization::KrVectorLinearization() = default;

KrVectorLinearization::~KrVectorLinearization() = default;
