#pragma once

#include <QFont>
#include <QString>

class QJsonDocument;
class QUrl;

// Small stateless helpers shared by several parts; any thread may call them
// (ElideText only where fonts may be used, the GUI thread).

// A new random identifier, 36 characters with hyphens, no braces.
QString CreateUuidString();

// "台式机" (desktop) or "笔记本" (laptop), from the power status.
QString GetMachineKind();
// The same decision from raw power-status values; a failed query is (0, 0).
QString MachineKindFrom(int batteryFlag, int batteryPercent);

// The Windows version name; empty on every other system.
QString GetWindowsVersionName();

// The text, elided on the right when it is as wide as maxWidth or wider.
QString ElideText(const QFont& font, const QString& text, int maxWidth);

// A tool tip that shows text as it stands: a name from the network with
// markup in it is shown, never rendered. Empty for an empty text.
QString PlainToolTip(const QString& text);

// The address for a log line: the values of query items that carry secrets
// (passwords, keys, tokens) are replaced by "***".
QString LoggableUrl(const QUrl& url);
QString LoggableUrl(const QString& url);
// A JSON reply for a log line, compact: the values of keys that name
// secrets, at any depth, are replaced by "***" the same way.
QString LoggableJson(const QJsonDocument& document);
// A service reply for a log line: LoggableJson of it, cut after limit
// characters; a body that is no JSON shows only its size.
QString LoggableBody(const QByteArray& body, int limit = 1024);
// True for a name that marks its value as a secret (passwords, keys,
// tokens), in any case.
bool IsSecretName(const QString& name);
