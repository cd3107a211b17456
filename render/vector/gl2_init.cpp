#include "render/core/gl2_writer.h"
#include "render/vector/gl2_commands.h"
#include "render/vector/gl2_context.h"
#include "render/vector/gl2_state.h"

BOOL GL2InitState(PDEV* pdev) {
  WriteGL2(pdev, "INSP1PP1WU0PW0.05TR0LT;");
  Gl2ForgetCaches(pdev);
  SetGL2Context(pdev, FALSE);
  return TRUE;
}
