#pragma once

namespace gravik {

class CertificateWindow;

// The main window without a mouse: Ctrl+P prints (as the print button), F1
// shows the About window, and with the panel closed the arrow keys move the
// selected field by its scroll bar's small step (Ctrl: the large step), as the
// scroll bar's own arrows do; F6 and Shift+F6 select the next and the previous
// field, as a click on it does.
void addKeyboardAccess(CertificateWindow &window);

} // namespace gravik
