#include "tests/ui/skin_mutations.h"

namespace uitest {

std::string SeedSkin(const std::string& includePath) {
  std::string skin =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
      "<Window size=\"360,640\" caption=\"0,0,0,36\" mininfo=\"200,300\" roundcorner=\"4,4\" "
      "textid=\"STRID_X\" shadowcorner=\"8,8,8,8\" sizebox=\"4,4,4,4\">\n"
      "  <Class name=\"btn\" value=\"width=&quot;60&quot;\" height=\"24\" _value=\"x\"/>\n"
      "  <Class name=\"opt\" width=\"50\" height=\"20\" selectednormalcolor=\"red\"/>\n"
      "  <Font id=\"f\" name=\"Tahoma\" size=\"12\"/>\n"
      "  <VBox name=\"main\" bkcolor=\"white\" childmargin=\"4\" padding=\"8,8,8,8\">\n"
      "    <HBox name=\"title_bar\" height=\"36\">\n"
      "      <Label name=\"title\" text=\"Phone &amp; more\" align=\"left vcenter\" "
      "textpadding=\"4,0,4,0\" font=\"f\"/>\n"
      "      <Control/>\n"
      "      <Button name=\"minbtn\" class=\"btn\" text=\"_\" tooltiptext=\"Min\"/>\n"
      "      <Button name=\"closebtn\" class=\"btn\" normalimage=\"file='close.png'\">\n"
      "        <Event type=\"buttondown mouseenter\" receiver=\"title ./x\" "
      "applyattribute=\"text=&quot;bye&quot;\"/>\n"
      "      </Button>\n"
      "    </HBox>\n"
      "    <TileBox itemsize=\"40,40\" columns=\"3\">\n"
      "      <Control bkcolor=\"red\"/><Control bkcolor=\"green\"/><Control bkcolor=\"blue\"/>\n"
      "      <Label text=\"a\"/><Label text=\"b\"/><Label text=\"c\"/>\n"
      "    </TileBox>\n"
      "    <VBox name=\"options\">\n"
      "      <BubbledEvent type=\"select\" receiver=\"./status\" applyattribute=\"visible=&quot;true&quot;\"/>\n"
      "      <Option name=\"o1\" class=\"opt\" group=\"size\" selected=\"true\" text=\"Small\"/>\n"
      "      <Option name=\"o2\" class=\"opt\" group=\"size\" text=\"Medium\"/>\n"
      "      <OptionBox name=\"o3\" class=\"opt\" group=\"size\"><Label text=\"Large\"/></OptionBox>\n"
      "      <Label name=\"status\" visible=\"false\" text=\"changed\"/>\n"
      "    </VBox>\n"
      "    <HBox>\n"
      "      <CheckBox name=\"c1\" selected=\"true\" text=\"Remember\" selectedtextcolor=\"red\"/>\n"
      "      <CheckBoxBox name=\"c2\"><Control/></CheckBoxBox>\n"
      "      <ButtonBox name=\"b2\" menu=\"true\"><Label text=\"More\"/></ButtonBox>\n"
      "      <LabelBox><Control width=\"10\"/></LabelBox>\n"
      "    </HBox>\n"
      "    <Include source=\"" + includePath + "\" count=\"2\"/>\n"
      "    <Box><Control float=\"true\" margin=\"1,2,3,4\"/><Control/></Box>\n"
      "  </VBox>\n"
      "  <Label name=\"stray\"/>\n"
      "</Window>\n";
  return skin;
}

std::string MutateSkin(const std::string& seed, std::mt19937& random) {
  static const char kInteresting[] = "<>/\"'=&!?-; \t\nax:_;";
  std::string skin = seed;
  const int edits = 1 + static_cast<int>(random() % 4);
  for (int e = 0; e < edits && !skin.empty(); ++e) {
    const size_t at = random() % skin.size();
    switch (random() % 4) {
      case 0: skin[at] = static_cast<char>(skin[at] ^ (1 << (random() % 8))); break;
      case 1: skin.resize(at); break;
      case 2: skin.insert(at, 1, kInteresting[random() % (sizeof(kInteresting) - 1)]); break;
      default: skin.erase(at, 1 + random() % 8); break;
    }
  }
  return skin;
}

}  // namespace uitest
