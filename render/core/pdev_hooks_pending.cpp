// Placeholder bodies until the PDEV and surface lifecycle exists: no PDEV can
// be made yet, and the hooks that receive one check it as every hook must,
// then fail.
#include "render/core/ddi_hooks.h"
#include "render/core/hook_impl.h"
#include "render/core/pdev.h"

namespace {
const PDEV* AsPdev(DHPDEV dhpdev) { return reinterpret_cast<const PDEV*>(dhpdev); }
}  // namespace

DHPDEV ImplEnablePDEV(DEVMODEW*, LPWSTR, ULONG, HSURF*, ULONG, ULONG*, ULONG, DEVINFO*, HDEV, LPWSTR, HANDLE) {
  SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
  return nullptr;
}

BOOL ImplResetPDEV(DHPDEV dhpdevOld, DHPDEV dhpdevNew) {
  (void)(PdevIsValid(AsPdev(dhpdevOld)) && PdevIsValid(AsPdev(dhpdevNew)));
  return FALSE;
}

VOID ImplDisablePDEV(DHPDEV dhpdev) { (void)PdevIsValid(AsPdev(dhpdev)); }

HSURF ImplEnableSurface(DHPDEV dhpdev) {
  (void)PdevIsValid(AsPdev(dhpdev));
  return nullptr;
}

VOID ImplDisableSurface(DHPDEV dhpdev) { (void)PdevIsValid(AsPdev(dhpdev)); }

KADU_EXPORT VOID APIENTRY DrvCompletePDEV(DHPDEV, HDEV) {}
