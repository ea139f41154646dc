#pragma once

namespace gravik {

// The window the certificate is edited in, as a window that prints it sees
// it: while a page goes out, the selection's colour is off the fields and the
// panel is out of the way.
class PageEditor
{
public:
    virtual void resetFieldColours() = 0;
    virtual void setPanelShown(bool shown) = 0;

protected:
    ~PageEditor() = default;
};

} // namespace gravik
