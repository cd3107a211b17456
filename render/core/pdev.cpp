#include "render/core/pdev.h"

BOOL PdevIsValid(const PDEV* pdev) {
  return pdev && pdev->signature1 == kPdevSignature && pdev->signature2 == kPdevSignature;
}

PDEV* PdevFromSurface(const SURFOBJ* pso) {
  if (!pso) return nullptr;
  auto* pdev = reinterpret_cast<PDEV*>(pso->dhpdev);
  return PdevIsValid(pdev) ? pdev : nullptr;
}
