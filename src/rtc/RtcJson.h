#pragma once

#include <QString>

// Pieces of the JSON texts handed to the RTC engine's parameters. Values
// are escaped so any path or name gives valid JSON, and nothing is cut.
namespace RtcJson {

// The text as a JSON string, quotes included: '"', '\', control and
// non-ASCII characters are escaped.
QString Quote(const QString& text);
// "true" or "false".
QString Bool(bool value);

} // namespace RtcJson
