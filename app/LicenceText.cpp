// The licence agreement shown on the licence page. OS-independent.
#include "app/LicenceText.h"

namespace velmora::app {

const char* LicenceText() {
  return "Velmora 软件许可协议\r\n"
         "\r\n"
         "1、本软件的著作权归 Pallmere 所有，受著作权法保护。\r\n"
         "\r\n"
         "2、您可以在一台计算机上安装和使用本软件。\r\n"
         "\r\n"
         "3、您不得对本软件进行反向工程、反向编译或反汇编。\r\n"
         "\r\n"
         "4、本软件按“现状”提供，不附带任何明示或暗示的担保。\r\n"
         "\r\n"
         "5、在法律允许的范围内，Pallmere 对使用本软件造成的\r\n"
         "任何损失不承担责任。\r\n"
         "\r\n"
         "6、如您违反本协议的条款，本协议的授权将自动终止。\r\n"
         "\r\n"
         "7、本软件可能包含第三方组件，其使用受各自协议约束。\r\n"
         "\r\n"
         "8、Pallmere 保留更新本协议的权利。\r\n"
         "\r\n"
         "9、安装本软件即表示您同意本协议的全部条款。\r\n";
}

}  // namespace velmora::app
