// Draws the controls through the GDI surface, the way the windows will show
// them, and saves the pictures as PNG files:  zarn_gallery OUTPUT-DIRECTORY
// Every gradient style, every gauge kind at 0, 37, 50 and 100 %, and the
// directory label at several widths.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "controls/DirLabel.h"
#include "controls/ProgressGauge.h"
#include "controls/VyrlGradient.h"
#include "platform/GdiSurface.h"
#include "tools/gallery/PngWriter.h"

namespace {

std::string Directory;
int Failures = 0;

void Save(const TDrawingSurface& image, const std::string& name)
{
    const std::string path = Directory + "\\" + name;
    if (WritePng(image, path)) {
        std::printf("%s\n", path.c_str());
    } else {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        ++Failures;
    }
}

// Paints the control on its own surface and puts that on the sheet at (x, y).
void PaintAt(TGraphicControl& control, TDrawingSurface& sheet, int x, int y)
{
    std::unique_ptr<TDrawingSurface> canvas = MakeGdiSurface(control.Width(), control.Height());
    control.Paint(*canvas);
    sheet.Draw(x, y, *canvas, cmSrcCopy);
}

void Caption(TDrawingSurface& sheet, int x, int y, const std::string& text)
{
    sheet.TextOut(TFont(), {x, y}, text, {0, 0, sheet.Width(), sheet.Height()}, 0);
}

void Gradients()
{
    const struct {
        TGradientStyle Style;
        const char* Name;
    } styles[] = {{gsHorizontal, "horizontal"}, {gsVertical, "vertical"},       {gsElliptic, "elliptic"},
                  {gsRectangle, "rectangle"},   {gsVertCenter, "vertcenter"},    {gsHorizCenter, "horizcenter"},
                  {gsRadial1, "radial1"},       {gsRadial2, "radial2"}};
    for (const auto& s : styles) {
        TVyrlGradient g;
        g.SetBounds(0, 0, 240, 160);
        g.SetGradientStyle(s.Style); // the component's own colours: navy to aqua, 255 steps
        std::unique_ptr<TDrawingSurface> canvas = MakeGdiSurface(240, 160);
        g.Paint(*canvas);
        Save(*canvas, std::string("gradient-") + s.Name + ".png");
    }
    // As the background window paints it, and the wizard's panel with the 3D frame.
    TVyrlGradient background;
    background.SetBounds(0, 0, 536, 348);
    background.SetBeginColor(clBlue);
    background.SetEndColor(clBlack);
    background.SetSteps(100);
    std::unique_ptr<TDrawingSurface> canvas = MakeGdiSurface(536, 348);
    background.Paint(*canvas);
    Save(*canvas, "gradient-background.png");
    TVyrlGradient panel;
    panel.SetBounds(0, 0, 120, 240);
    panel.SetBeginColor(clBlack);
    panel.SetEndColor(clBlue);
    panel.SetCtl3D(true);
    canvas = MakeGdiSurface(120, 240);
    panel.Paint(*canvas);
    Save(*canvas, "gradient-ctl3d.png");
}

void Gauges()
{
    const struct {
        TGaugeKind Kind;
        const char* Name;
        int Width, Height;
    } kinds[] = {{gkText, "text", 120, 30},
                 {gkHorizontalBar, "horizontalbar", 231, 17},
                 {gkVerticalBar, "verticalbar", 40, 100},
                 {gkPie, "pie", 100, 100},
                 {gkNeedle, "needle", 120, 60}};
    const int percents[] = {0, 37, 50, 100};
    for (const auto& k : kinds) {
        const int cellWidth = k.Width + 16, cellHeight = k.Height + 32;
        std::unique_ptr<TDrawingSurface> sheet = MakeGdiSurface(4 * cellWidth + 8, 2 * cellHeight);
        sheet->FillRect({0, 0, sheet->Width(), sheet->Height()}, clBtnFace);
        for (int i = 0; i < 4; ++i)
            for (int row = 0; row < 2; ++row) {
                // The top row as the copy dialog has its gauge (no border), the bottom one with the border.
                TProgressGauge g;
                g.SetBounds(0, 0, k.Width, k.Height);
                g.SetKind(k.Kind);
                g.SetBorderStyle(row == 0 ? bsNone : bsSingle);
                g.SetProgress(percents[i]);
                const int x = 8 + i * cellWidth, y = 8 + row * cellHeight;
                PaintAt(g, *sheet, x, y);
                Caption(*sheet, x, y + k.Height + 4, row == 0 ? "bsNone" : "bsSingle");
            }
        Save(*sheet, std::string("gauge-") + k.Name + ".png");
    }
}

void DirLabels()
{
    const int widths[] = {195, 160, 130, 100, 70, 40};
    const int rowHeight = 22;
    std::unique_ptr<TDrawingSurface> sheet = MakeGdiSurface(280, 8 + rowHeight * 6);
    sheet->FillRect({0, 0, sheet->Width(), sheet->Height()}, clBtnFace);
    for (int i = 0; i < 6; ++i) {
        TDirLabel label;
        label.SetDirName("C:\\Program Files\\Common Files\\ZarnFTP");
        label.SetBounds(0, 0, widths[i], 13);
        label.SetColor(clWindow); // shows the label's extent against the sheet
        const int y = 8 + i * rowHeight;
        Caption(*sheet, 8, y, std::to_string(widths[i]) + " px");
        // The first paint shortens the caption and asks for another, which draws it.
        std::unique_ptr<TDrawingSurface> canvas = MakeGdiSurface(widths[i], 13);
        label.Paint(*canvas);
        PaintAt(label, *sheet, 64, y);
    }
    Save(*sheet, "dirlabel-widths.png");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: zarn_gallery OUTPUT-DIRECTORY\n");
        return 2;
    }
    Directory = argv[1];
    std::error_code error;
    std::filesystem::create_directories(Directory, error); // may exist already
    Gradients();
    Gauges();
    DirLabels();
    return Failures == 0 ? 0 : 1;
}
