#pragma once

namespace lorvane {

// Tells the desktop that file associations changed, so that it reloads what it knows about file
// types (the shell's association-changed event). Called on the UI thread after each change; it
// blocks until the desktop's caches are refreshed and never fails towards the caller: where the
// desktop offers nothing to refresh, it does nothing.
class AssociationNotifier {
public:
    virtual ~AssociationNotifier() = default;

    virtual void associationsChanged() = 0;
};

}  // namespace lorvane
