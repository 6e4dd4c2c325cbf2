// Exported members of the abstract interface classes. Each constructor only
// installs its class's table (the copy constructor ignores its argument);
// assignment copies nothing, since the classes have no data.
#include "VexaCanvas15.h"

IVUnknown::IVUnknown() = default;
IVUnknown::IVUnknown(const IVUnknown&) {}
IVUnknown& IVUnknown::operator=(const IVUnknown&) { return *this; }

ICanvas::ICanvas() = default;
ICanvas::ICanvas(const ICanvas&) : IVUnknown() {}
ICanvas& ICanvas::operator=(const ICanvas&) { return *this; }

ICanvas15::ICanvas15() = default;
ICanvas15::ICanvas15(const ICanvas15&) : ICanvas() {}
ICanvas15& ICanvas15::operator=(const ICanvas15&) { return *this; }

IVFile32::IVFile32() = default;
IVFile32::IVFile32(const IVFile32&) : IVUnknown() {}
IVFile32& IVFile32::operator=(const IVFile32&) { return *this; }

IVFont::IVFont() = default;
IVFont::IVFont(const IVFont&) : IVUnknown() {}
IVFont& IVFont::operator=(const IVFont&) { return *this; }
