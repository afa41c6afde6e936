// The licence agreement shown on the licence page: nine numbered clauses in 46 lines, each line
// broken by hand at no more than 56 bytes in the program's code page so that none wraps in the box.
// OS-independent.
#include "app/LicenceText.h"

namespace velmora::app {

const char* LicenceText() {
  return "1、本协议是您与 Pallmere 之间关于使用 Velmora 软件的\r\n"
         "法律协议。请在安装之前仔细阅读本协议的全部条款。\r\n"
         "安装、复制或以其他方式使用本软件，即表示您同意接受本\r\n"
         "协议的约束；如您不同意本协议的条款，请不要安装本软件，\r\n"
         "并单击“取消”退出安装程序。\r\n"
         "\r\n"
         "2、本软件的著作权及其他知识产权归 Pallmere 所有，受\r\n"
         "著作权法及国际条约的保护。本协议未明确授予您的一切\r\n"
         "权利，均由 Pallmere 保留。本软件中使用的商标和标识\r\n"
         "属于其各自的所有人。\r\n"
         "\r\n"
         "3、Pallmere 授予您一项非独占、不可转让的许可，允许\r\n"
         "您在一台计算机上安装和使用本软件一份，用于您自己的\r\n"
         "业务。您可以为备份目的制作一份副本，但备份副本不得\r\n"
         "同时安装使用。\r\n"
         "\r\n"
         "4、您不得对本软件进行反向工程、反向编译或反汇编，\r\n"
         "不得出租、出借或转授权本软件，不得利用本软件从事违法\r\n"
         "活动，也不得删除或修改本软件中的任何著作权声明。\r\n"
         "\r\n"
         "5、本软件可能会通过网络检查更新并下载新的版本。检查\r\n"
         "更新时只传送版本信息，不传送您的个人资料或业务数据。\r\n"
         "您可以在软件的设置中关闭自动更新，关闭后仍可以在\r\n"
         "“帮助”菜单中手动检查更新。\r\n"
         "\r\n"
         "6、您在本软件中录入的全部业务数据归您所有。请定期\r\n"
         "备份您的数据；因计算机故障、病毒或误操作造成的数据\r\n"
         "丢失，Pallmere 将尽力协助恢复，但不承担赔偿责任。\r\n"
         "未经您的同意，Pallmere 不会查看或使用您的业务数据。\r\n"
         "\r\n"
         "7、本软件按“现状”提供。在法律允许的最大范围内，\r\n"
         "Pallmere 不作任何明示或暗示的担保，包括对适销性和\r\n"
         "特定用途适用性的担保，也不保证本软件没有任何错误，\r\n"
         "或者能够不间断地运行。\r\n"
         "\r\n"
         "8、在法律允许的最大范围内，Pallmere 对因使用或不能\r\n"
         "使用本软件而产生的任何直接、间接、附带或后果性的损失\r\n"
         "不承担责任，即使 Pallmere 已被告知可能发生此类损失。\r\n"
         "如您违反本协议的任何条款，Pallmere 可以终止本协议；\r\n"
         "协议终止后，您必须停止使用本软件并销毁其全部副本。\r\n"
         "\r\n"
         "9、本协议适用中华人民共和国法律。因本协议引起的或与\r\n"
         "本协议有关的争议，双方应友好协商解决；协商不成的，\r\n"
         "任何一方均可向 Pallmere 所在地有管辖权的人民法院提起\r\n"
         "诉讼。本协议的解释权在法律允许的范围内归 Pallmere\r\n"
         "所有。\r\n";
}

}  // namespace velmora::app
