#include "app/ProtocolText.h"

namespace qv {

// The page's fixed parts; every blank in them belongs to the page.
const char kProtocolHead[] =
    "<html><head><title>Log</title><meta http-equiv=\"cache-control\" content=\"no-cache\"><met"
    "a http-equiv=\"Pragma\" content=\"no-cache\"><meta content=\"200\" http-equiv=\"refresh\">"
    "</head><body bgcolor=\"#ffffff\" leftmargin=5 topmargin=5 rightmargin=5 bottommargin=5><fo"
    "nt size=2 color=\"#000000\" face=\"Arial Narrow\"><div><table width=\"100%\" border=0 cell"
    "padding=1 bordercolor=\"#000000\" cellspacing=1 style=\"border-width: 0px;\"><tr valign=to"
    "p><td width=220 bgcolor=\"#99ccff\" style=\"background-color: #99ccff;\"><font size=2 colo"
    "r=\"#000000\" face=\"Arial Narrow\"><div><font size=5 color=\"#ffffff\"><b>Log Quorvel</b>"
    "</font></div></font></td></tr></table></div><div><br></div><div><form action=\"mail.htm\">"
    "  <div>    <button name=\"TopButton\" type=\"button\"      value=\"ScrollDown\" onclick=\""
    "window.scrollTo(0,100000);\">      <p>        <b>Zum letzten Eintrag gehen</b>      </p>  "
    "  </button>  </div></form><br></div>";

const char kProtocolHelp[] =
    "Im Fehlerfall können Sie aus den Unterzeichnissen <b>ZIP</b> und <b>ZIPOTHER</b> die jewei"
    "ls funktionierenden Archive in das Originalverzeichnis zurück entpacken. Das sind <b>tägli"
    "che Archive, also ein Verzeichnis pro Tag</b>.  Alternativ können Sie ein neues Verzeichni"
    "s erstellen, und die Archive dort hinein entpacken, in diesem Fall müssen Sie in Kontorix "
    "diese Datenbank dann neu eintragen.<br>Achten Sie darauf, das Sie bei mehreren Datenbanken"
    " die richtige nehmen!<br>In den Unterzeichnissen <b>DATA</b> und <b>DATA2</b> finden Sie d"
    "ie zuletzt gesicherten Datenbank-Dateien.";

const char kProtocolTail[] =
    "</font><div><br><form action=\"mail.htm\">  <div>    <button name=\"TopButton\" type=\"but"
    "ton\"      value=\"ScrollDown\" onclick=\"window.scrollTo(0,0);\">      <p>        <b>Zum "
    "ersten Eintrag gehen</b>      </p>    </button>  </div></form></div></body></html>";

}  // namespace qv
