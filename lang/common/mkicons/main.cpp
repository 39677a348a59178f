// Regenerates lang/common/icons and lang/common/cursors:
//   cmake -S lang/common/mkicons -B /tmp/mkicons && cmake --build /tmp/mkicons
//   QT_QPA_PLATFORM=offscreen /tmp/mkicons/mkicons lang/common
// Draws the toolbar icons and cursors of the language packages.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <functional>
#include <map>
QImage Canvas(int s = 24) { QImage im(s, s, QImage::Format_ARGB32); im.fill(Qt::transparent); return im; }
void Save(QImage im, const QString& p) { im.save(p); }
int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  QString out = argv[1];
  QColor blue(0x1f,0x5f,0xb0), green(0x2e,0x8b,0x3e), red(0xc0,0x30,0x30), grey(0x50,0x50,0x50), amber(0xd8,0x9a,0x20);
  auto pen = [](QColor c, qreal w = 2) { QPen p(c, w); p.setCapStyle(Qt::RoundCap); p.setJoinStyle(Qt::RoundJoin); return p; };
  std::map<int, std::function<void(QPainter&)>> icons = {
    {57601, [&](QPainter& p){ p.setPen(pen(amber.darker(130),1.5)); p.setBrush(amber); p.drawRect(3,7,18,13); p.setBrush(amber.lighter(130)); p.drawPolygon(QPolygonF({QPointF(3,20),QPointF(7,11),QPointF(23,11),QPointF(21,20)})); p.drawRect(3,5,7,2);} },
    {32838, [&](QPainter& p){ p.setPen(pen(grey,1.5)); p.setBrush(QColor(230,230,230)); p.drawRect(3,3,18,11); p.setPen(pen(green,3)); p.drawLine(12,8,12,20); p.drawLine(7,15,12,20); p.drawLine(17,15,12,20);} },
    {32801, [&](QPainter& p){ p.setPen(pen(grey,1.5)); p.setBrush(Qt::white); p.drawRect(2,3,20,18); QPainterPath w; w.moveTo(4,12); for(int x=4;x<=20;x++) w.lineTo(x, 12-5*std::sin((x-4)*0.8)); p.setPen(pen(red,1.8)); p.setBrush(Qt::NoBrush); p.drawPath(w);} },
    {32789, [&](QPainter& p){ p.setPen(pen(grey,1.5)); p.setBrush(QColor(200,200,200)); p.drawRoundedRect(3,6,18,10,2,2); for(int i=0;i<4;i++){ p.setBrush(blue); p.drawEllipse(QPointF(7+i*3.5,11),1.2,1.2);} p.setPen(pen(grey,2)); p.drawLine(12,16,12,21);} },
    {32803, [&](QPainter& p){ p.setPen(pen(grey,1.2)); p.setBrush(Qt::white); p.drawRect(2,2,20,20); p.setPen(pen(QColor(180,180,180),1)); for(int i=7;i<22;i+=5){p.drawLine(2,i,22,i);p.drawLine(i,2,i,22);} p.setPen(pen(blue,2)); p.drawLine(3,18,9,10); p.drawLine(9,10,15,14); p.drawLine(15,14,21,5);} },
    {32836, [&](QPainter& p){ p.setPen(pen(grey,1.5)); p.setBrush(Qt::white); p.drawRect(7,2,10,8); p.setBrush(QColor(170,170,170)); p.drawRoundedRect(2,9,20,9,2,2); p.setBrush(Qt::white); p.drawRect(6,15,12,7);} },
    {32837, [&](QPainter& p){ p.setPen(pen(grey,1.5)); p.setBrush(Qt::white); p.drawRect(3,2,14,19); p.setPen(pen(blue,2.2)); p.setBrush(QColor(220,235,255)); p.drawEllipse(QPointF(14,13),4.5,4.5); p.drawLine(17,16,22,21);} },
    {32824, [&](QPainter& p){ p.setPen(pen(green.darker(120),1.2)); p.setBrush(Qt::white); p.drawRect(2,3,20,18); p.setBrush(green); p.drawRect(2,3,20,4); p.setPen(pen(green,1)); for(int y=11;y<21;y+=4) p.drawLine(2,y,22,y); p.drawLine(9,7,9,21); p.drawLine(15,7,15,21);} },
    {32921, [&](QPainter& p){ p.setPen(pen(red,2)); p.drawLine(12,2,12,22); p.setBrush(red); p.drawPolygon(QPolygonF({QPointF(8,2),QPointF(16,2),QPointF(12,7)}));} },
    {32922, [&](QPainter& p){ p.setPen(QPen(blue,1.5,Qt::DashLine)); p.setBrush(QColor(31,95,176,70)); p.drawRect(4,3,14,18); } },
    {32829, [&](QPainter& p){ p.setPen(pen(grey,2.2)); p.setBrush(QColor(230,240,255)); p.drawEllipse(QPointF(10,10),6.5,6.5); p.drawLine(15,15,22,22); p.setPen(pen(blue,2)); p.drawLine(7,10,13,10); p.drawLine(10,7,10,13);} },
    {32773, [&](QPainter& p){ p.setPen(pen(grey,1.2)); p.setBrush(Qt::white); p.drawRect(2,3,20,18); p.setPen(pen(blue,2)); for(int y=7;y<21;y+=4) p.drawLine(5,y,19,y);} },
    {32913, [&](QPainter& p){ p.setPen(Qt::NoPen); p.setBrush(blue); p.drawRect(3,12,4,9); p.setBrush(green); p.drawRect(10,6,4,15); p.setBrush(amber); p.drawRect(17,9,4,12); p.setPen(pen(grey,1.2)); p.drawLine(2,21,22,21);} },
    {32912, [&](QPainter& p){ p.setPen(pen(blue.darker(120),1.5)); p.setBrush(blue); p.drawEllipse(2,2,20,20); p.setPen(Qt::white); QFont f("Liberation Sans"); f.setPixelSize(16); f.setBold(true); p.setFont(f); p.drawText(QRect(2,2,20,20), Qt::AlignCenter, "?");} },
    {57664, [&](QPainter& p){ p.setPen(pen(blue.darker(120),1.5)); p.setBrush(Qt::white); p.drawEllipse(2,2,20,20); p.setPen(blue); QFont f("Liberation Serif"); f.setPixelSize(16); f.setBold(true); f.setItalic(true); p.setFont(f); p.drawText(QRect(2,2,20,20), Qt::AlignCenter, "i");} },
    {32790, [&](QPainter& p){ p.setPen(pen(red.darker(130),1.2)); p.setBrush(red); p.drawEllipse(QPointF(12,12),8,8);} },
    {32791, [&](QPainter& p){ p.setPen(pen(grey.darker(130),1.2)); p.setBrush(grey); p.drawRect(5,5,14,14);} },
    {57603, [&](QPainter& p){ p.setPen(pen(blue.darker(140),1.2)); p.setBrush(blue); p.drawRoundedRect(3,3,18,18,2,2); p.setBrush(Qt::white); p.drawRect(7,3,10,7); p.setBrush(QColor(220,220,220)); p.drawRect(6,14,12,7);} },
    {32800, [&](QPainter& p){ p.setPen(pen(grey,1.2)); p.setBrush(Qt::white); p.drawRect(2,3,20,18); p.setPen(pen(red,2)); for(int y=7;y<21;y+=4) p.drawLine(5,y,19,y);} },
    {32993, [&](QPainter& p){ p.setPen(Qt::NoPen); for(int i=0;i<5;i++){ p.setBrush(i%2?green:blue); int h=5+((i*7)%13); p.drawRect(2+i*4,21-h,3,h);} } },
    {32992, [&](QPainter& p){ p.setPen(pen(grey,1.5)); p.setBrush(Qt::white); p.drawEllipse(2,2,20,20); p.setPen(pen(red,1.6)); QPainterPath w; for(int a=0;a<=360;a+=10){ double r=6+3*std::sin(a*0.07); QPointF pt(12+r*std::cos(a*M_PI/180),12+r*std::sin(a*M_PI/180)); if(a==0) w.moveTo(pt); else w.lineTo(pt);} p.setBrush(Qt::NoBrush); p.drawPath(w);} },
    {32843, [&](QPainter& p){ p.setPen(pen(grey,1.5)); p.setBrush(QColor(235,235,235)); p.drawRoundedRect(3,2,18,20,2,2); p.setBrush(QColor(40,60,40)); p.drawRect(6,5,12,6); p.setBrush(blue); for(int i=0;i<3;i++) p.drawEllipse(QPointF(8+i*4,17),1.5,1.5);} },
    {32804, [&](QPainter& p){ p.setPen(pen(grey,1.5)); p.setBrush(Qt::NoBrush); for(int i=0;i<3;i++){ int y=6+i*6; p.drawLine(3,y,21,y); p.setBrush(i==1?red:blue); p.drawRect(5+i*5,y-2,4,4); p.setBrush(Qt::NoBrush);} } },
  };
  for (auto& [id, draw] : icons) { QImage im = Canvas(); QPainter p(&im); p.setRenderHint(QPainter::Antialiasing); draw(p); p.end(); Save(im, out + QString("/icons/%1.png").arg(id)); }
  // Cursors: 134 resize (horizontal double arrow), 136 move (hand with four arrows), 137 value axis (vertical double arrow), 165 column resize.
  auto arrowCursor = [&](bool horizontal, bool bar) {
    QImage im = Canvas(24); QPainter p(&im); p.setRenderHint(QPainter::Antialiasing);
    for (int pass = 0; pass < 2; ++pass) {
      p.setPen(QPen(pass ? Qt::black : Qt::white, pass ? 1.6 : 4, Qt::SolidLine, Qt::RoundCap));
      p.setBrush(Qt::NoBrush);
      if (horizontal) { p.drawLine(3,11,19,11); p.drawLine(3,11,7,7); p.drawLine(3,11,7,15); p.drawLine(19,11,15,7); p.drawLine(19,11,15,15); if(bar){p.drawLine(11,4,11,18);} }
      else { p.drawLine(11,3,11,19); p.drawLine(11,3,7,7); p.drawLine(11,3,15,7); p.drawLine(11,19,7,15); p.drawLine(11,19,15,15); }
    }
    p.end(); return im; };
  Save(arrowCursor(true, false), out + "/cursors/134.png");
  { QImage im = Canvas(24); QPainter p(&im); p.setRenderHint(QPainter::Antialiasing);
    for (int pass=0; pass<2; ++pass) { p.setPen(QPen(pass?Qt::black:Qt::white, pass?1.6:4, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(3,11,19,11); p.drawLine(11,3,11,19); p.drawLine(3,11,6,8); p.drawLine(3,11,6,14); p.drawLine(19,11,16,8); p.drawLine(19,11,16,14); p.drawLine(11,3,8,6); p.drawLine(11,3,14,6); p.drawLine(11,19,8,16); p.drawLine(11,19,14,16);} p.end(); Save(im, out + "/cursors/136.png"); }
  Save(arrowCursor(false, false), out + "/cursors/137.png");
  Save(arrowCursor(true, true), out + "/cursors/165.png");
  return 0;
}
