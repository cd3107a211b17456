#include "render/vector/gl2_state.h"

#include <cstring>

#include "render/core/pdev.h"
#include "render/vector/vector_unknown.h"

namespace {

void FreeStyleCopy(Gl2State& s) {
  if (s.styleCopy) HeapFree(GetProcessHeap(), 0, s.styleCopy);
  s.styleCopy = nullptr;
  s.styleCount = 0;
}

}  // namespace

void Gl2ForgetCaches(PDEV* pdev) {
  Gl2State& s = pdev->gl2;
  s.merge = kUnknownValue;
  s.lineEnd = kUnknownValue;
  s.lineJoin = kUnknownValue;
  s.penWidth = 0;
  s.penWidthKnown = FALSE;
  s.miterLimit = 0.0f;  // limits below 1 are raised before they are sent
  s.fillType = s.fillP1 = s.fillP2 = kUnknownValue;
  s.screenType = s.screenP = kUnknownValue;
  s.windowSet = TRUE;  // so that the first "no window" request sends "IW;"
  s.scaleX = s.scaleY = kUnknownValue;
  s.rotation = kUnknownValue;
}

void Gl2StateInit(PDEV* pdev) {
  std::memset(&pdev->gl2, 0, sizeof(pdev->gl2));
  Gl2ForgetCaches(pdev);
}

void Gl2StateResetPage(PDEV* pdev) {
  Gl2State& s = pdev->gl2;
  FreeStyleCopy(s);
  Gl2ForgetCaches(pdev);
  s.current = POINTL{0, 0};
  s.pathFlags = 0;
}

void Gl2StateCarry(PDEV* to, PDEV* from) {
  FreeStyleCopy(to->gl2);
  to->gl2 = from->gl2;
  from->gl2.styleCopy = nullptr;
  from->gl2.styleCount = 0;
}

void Gl2StateRelease(PDEV* pdev) { FreeStyleCopy(pdev->gl2); }
