// The licence agreement shown on the licence page. OS-independent.
#pragma once

namespace velmora::app {

// Lines separated by CR LF, in the program's code page.
const char* LicenceText();

}  // namespace velmora::app
