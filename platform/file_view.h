#pragma once
// Files beside the saver, reached from wherever Windows started it.
//
// On 64-bit Windows a 32-bit program that opens a file in the system folder
// is sent to the 32-bit system folder (SysWOW64) instead. A copy of the
// saver that Windows started from the real system folder would therefore
// look for its model and bitmaps where they are not. While the view is open
// on this thread, the saver's files are opened where the saver itself lies.
// Where Windows redirects nothing (Windows 9x, 32-bit NT) nothing changes.

// Decides whether the files beside `saverPath`, the path the saver was
// started by, are reached only with the redirection off: that is so when
// the saver file itself is found there that way.
void ChooseSaverFileView(const char* saverPath);

// Around opening files beside the saver (the model, the bitmaps, the
// dialog's bitmap search) and nothing else; not nested. No library may be
// loaded while the view is open, so no Direct3D or other call that might
// load one is made inside it: the library would come from the 64-bit folder.
void OpenSaverFileView();
void CloseSaverFileView();
