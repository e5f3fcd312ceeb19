// diagnostic_settings.cpp: the rows of the diagnostic settings' table as the store loops over them.
#include "common/settings/diagnostic_settings.h"

namespace lt::settings {
namespace {

#define LT_DIAGNOSTIC_ROW(member, kind, key, ...) LT_DIAGNOSTIC_FIELD(member, key),
constexpr DiagnosticField kFields[] = {LT_DIAGNOSTIC_SETTINGS(LT_DIAGNOSTIC_ROW)};
#undef LT_DIAGNOSTIC_ROW

}  // namespace

std::span<const DiagnosticField> diagnosticFields() { return kFields; }

}  // namespace lt::settings
