#include <gtest/gtest.h>

#include "util/HtmlEscape.h"

namespace qv {
namespace {

TEST(HtmlEscape, OutsideTextNeverBecomesMarkup) {
  struct TCase {
    std::string Text;
    std::string Html;
  };
  for (const TCase& c : std::vector<TCase>{
           {"Daten #2 & Co", "Daten #2 &amp; Co"},
           {"Kunden &amp; Lieferanten", "Kunden &amp;amp; Lieferanten"},
           {"&copy 2026", "&amp;copy 2026"},
           {"Error 7016:  <b>Corrupt</b> \"x\"",
            "Error 7016:  &lt;b&gt;Corrupt&lt;/b&gt; &quot;x&quot;"},
           {"<script>alert(1)</script>", "&lt;script&gt;alert(1)&lt;/script&gt;"},
           {"O'Brien; 50 % Müller", "O'Brien; 50 % Müller"},
           {"", ""},
       }) {
    EXPECT_EQ(HtmlText(c.Text), c.Html);
    EXPECT_EQ(UnescapeHtmlText(c.Html), c.Text) << "the console shows the text as it was";
  }
}

TEST(HtmlEscape, AFileUrlHoldsThePathSoThatABrowserFindsIt) {
  struct TCase {
    std::string Path;
    std::string Href;
  };
  for (const TCase& c : std::vector<TCase>{
           // Paths that need nothing keep today's bytes, umlauts and blanks included.
           {"C:\\Sicherung\\Firma Müller\\DATA2", "file://C:\\Sicherung\\Firma Müller\\DATA2"},
           {"\\\\server\\daten\\", "file://\\\\server\\daten\\"},
           {"C:\\O'Brien;Söhne\\", "file://C:\\O'Brien;Söhne\\"},
           // A browser would cut at # and ?, and read % as the start of an escape.
           {"C:\\Daten #2 & Co\\ZIP", "file://C:\\Daten %232 &amp; Co\\ZIP"},
           {"C:\\50% Rabatt?\\", "file://C:\\50%25 Rabatt%3F\\"},
           {"C:\\A &amp; B\\", "file://C:\\A &amp;amp; B\\"},
           {"C:\\\"x\"<y>", "file://C:\\%22x%22%3Cy%3E"},
           {"C:\\a\tb\x7F", "file://C:\\a%09b%7F"},
           // Beyond the page's code page: UTF-8 bytes, as a browser reads them.
           {"C:\\\xC5\x81\xC3\xB3"
            "d\xC5\xBA\\",
            "file://C:\\%C5%81\xC3\xB3"
            "d%C5%BA\\"},
           {"C:\\\xE2\x82\xAC", "file://C:\\\xE2\x82\xAC"},   // the euro sign is in it
           {"C:\\x\xED\xA0\x80y", "file://C:\\x%ED%A0%80y"},  // half a surrogate pair
       }) {
    EXPECT_EQ(FileUrl(c.Path), c.Href) << c.Path;
  }
}

}  // namespace
}  // namespace qv
