// LibreOffice's UNO bridge, built as a module of its own: the bridge's
// libraries (sal, cppu, cppuhelper and the office's runtime they bring) are
// mapped at the first spreadsheet export instead of at every start.
#include "platform/unospreadsheet.h"

extern "C" Q_DECL_EXPORT platform::Spreadsheet* pylonixCreateUnoSpreadsheet(const platform::UnoOptions* options)
{
    return new platform::UnoSpreadsheet(*options);
}
