#pragma once

#include <functional>
#include <memory>

// Watches the left and right Alt keys for hold-to-talk. Every key event goes
// on to its receiver unchanged; the hook only reports. Key repeats while Alt
// is held are not reported.
//
// The hook sees keys only while the application is active. When the
// application loses activation while Alt is down, the release will never
// arrive, so the hook reports one itself: a held key must not leave the
// microphone open.
//
// GUI thread only; the procedure runs in the GUI thread.
class KeyHook
{
public:
    enum class Key { AltDown, AltUp };
    using Procedure = std::function<void(Key)>;

    explicit KeyHook(Procedure procedure);
    ~KeyHook();
    KeyHook(const KeyHook&) = delete;
    KeyHook& operator=(const KeyHook&) = delete;

    // True when the hook now runs; a second install keeps the first.
    bool install();
    void uninstall();
    bool isInstalled() const;

private:
    class Filter;
    std::unique_ptr<Filter> m_filter;
};
