// The menus' glyphs: project and song files, undo and redo, tracks, the clipboard, the
// draw-value entries and About.
#include "dialogs/GlyphCanvas.h"
#include "dialogs/GlyphPalette.h"

namespace lumivox::glyphs {
namespace {

using namespace palette;

QPainterPath Document(qreal x, qreal y, qreal w, qreal h, qreal fold = 3) {
    return Polygon({{x, y}, {x + w - fold, y}, {x + w, y + fold}, {x + w, y + h}, {x, y + h}});
}

void DrawDocument(Canvas& c, qreal x, qreal y, qreal w, qreal h) {
    c.FillStroke(Document(x, y, w, h), kPaper, kInk);
    c.Fill(Polygon({{x + w - 3, y}, {x + w - 3, y + 3}, {x + w, y + 3}}), kPaperShade);
    c.Stroke(Polygon({{x + w - 3, y}, {x + w - 3, y + 3}, {x + w, y + 3}}), kInk, 1);
}

void DrawTextLines(Canvas& c, qreal x, qreal y, qreal w, int count) {
    for (int i = 0; i < count; ++i) {
        const qreal width = (i % 2 == 1) ? w * 0.7 : w;
        c.Fill(Rect(x, y + i * 3, width, 1), kSteel);
    }
}

// A round badge with a plus or a cross, for "new" and "delete" images.
void DrawBadge(Canvas& c, qreal cx, qreal cy, bool plus) {
    c.Fill(Circle(cx, cy, 4.5), plus ? kGreen : kRed);
    if (plus) {
        c.Stroke(Line({cx - 2.5, cy}, {cx + 2.5, cy}), kPaper, 1.5, Qt::FlatCap);
        c.Stroke(Line({cx, cy - 2.5}, {cx, cy + 2.5}), kPaper, 1.5, Qt::FlatCap);
    } else {
        c.Stroke(Line({cx - 2, cy - 2}, {cx + 2, cy + 2}), kPaper, 1.5, Qt::FlatCap);
        c.Stroke(Line({cx - 2, cy + 2}, {cx + 2, cy - 2}), kPaper, 1.5, Qt::FlatCap);
    }
}

void DrawNewProject(Canvas& c) {
    DrawDocument(c, 4.5, 2.5, 13, 18);
    DrawTextLines(c, 7, 8, 8, 3);
    DrawBadge(c, 17.5, 17.5, true);
}

void DrawProjectProperties(Canvas& c) {
    DrawDocument(c, 5.5, 2.5, 13, 19);
    DrawTextLines(c, 8, 7, 8, 5);
}

void DrawOpenProject(Canvas& c) {
    c.FillStroke(
        Polygon({{2.5, 5.5}, {8.5, 5.5}, {10.5, 7.5}, {19.5, 7.5}, {19.5, 19.5}, {2.5, 19.5}}),
        kDarkAmber, kInk);
    c.FillStroke(Polygon({{2.5, 19.5}, {5.5, 10.5}, {22.5, 10.5}, {19.5, 19.5}}), kAmber, kInk);
}

void DrawSaveProject(Canvas& c) {
    c.FillStroke(Polygon({{3.5, 3.5}, {17.5, 3.5}, {20.5, 6.5}, {20.5, 20.5}, {3.5, 20.5}}), kBlue,
                 kDarkBlue);
    c.Fill(Rect(7, 3.5, 9, 6), kPaperShade);
    c.Fill(Rect(12.5, 4.5, 2, 4), kDarkBlue);
    c.FillStroke(Rect(6.5, 12.5, 11, 8), kPaper, kDarkBlue);
    c.Fill(Rect(8.5, 15, 7, 1), kSteel);
    c.Fill(Rect(8.5, 17.5, 7, 1), kSteel);
}

// A document of binary blocks: the sequence file for the playback unit.
void DrawCreateSeqFile(Canvas& c) {
    DrawDocument(c, 5.5, 2.5, 13, 19);
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            if ((row * 5 + column * 3) % 4 != 1) {
                c.Fill(Rect(8 + column * 2, 7 + row * 3.5, 1.5, 2), kNavy);
            }
        }
    }
}

void DrawNote(Canvas& c) {
    c.Stroke(Line({9.5, 17}, {9.5, 3.5}), kInk, 1.5, Qt::FlatCap);
    QPainterPath flag(QPointF(9.5, 3.5));
    flag.cubicTo(QPointF(11, 6.5), QPointF(14.5, 6.5), QPointF(13.5, 10.5));
    c.Stroke(flag, kInk, 1.5);
    c.p.save();
    c.p.translate(7, 17.5);
    c.p.rotate(-20);
    QPainterPath head;
    head.addEllipse(QPointF(0, 0), 3.2, 2.3);
    c.Fill(head, kInk);
    c.p.restore();
}

void DrawReplaceSong(Canvas& c) {
    DrawNote(c);
    c.Arrow({14, 13}, {22.5, 13}, kBlue);
    c.Arrow({22.5, 19.5}, {14, 19.5}, kBlue);
}

// A curved arrow; `mirrored` turns Undo into Redo.
void DrawTurnArrow(Canvas& c, bool mirrored) {
    c.p.save();
    if (mirrored) {
        c.p.translate(kGrid, 0);
        c.p.scale(-1, 1);
    }
    QPainterPath curve(QPointF(8.5, 9));
    curve.lineTo(13, 9);
    curve.cubicTo(QPointF(20.5, 9), QPointF(20.5, 19), QPointF(13, 19));
    curve.lineTo(9, 19);
    c.Stroke(curve, kBlue, 2.2);
    c.Fill(Polygon({{3, 9}, {9.5, 3.5}, {9.5, 14.5}}), kBlue);
    c.p.restore();
}

void DrawTrackStrip(Canvas& c) {
    c.FillStroke(Rect(2.5, 8.5, 14, 7), QColor(0xD5, 0xF3, 0xF7), kInk);
    c.Fill(Rect(4, 11, 3, 3), kDarkBlue);
    c.Fill(Rect(8, 10, 2, 4), kDarkBlue);
    c.Fill(Rect(11, 12, 4, 2), kDarkBlue);
}

void DrawNewTrack(Canvas& c) {
    DrawTrackStrip(c);
    DrawBadge(c, 18.5, 15.5, true);
}

void DrawDeleteTrack(Canvas& c) {
    DrawTrackStrip(c);
    DrawBadge(c, 18.5, 15.5, false);
}

void DrawCut(Canvas& c) {
    c.Stroke(Line({9.5, 15}, {16, 3}), kSteel, 2);
    c.Stroke(Line({14.5, 15}, {8, 3}), kSteel, 2);
    c.Fill(Circle(12, 10.4, 0.9), kInk);
    c.Stroke(Circle(7.5, 18, 3), kRed, 1.8);
    c.Stroke(Circle(16.5, 18, 3), kRed, 1.8);
}

void DrawCopy(Canvas& c) {
    DrawDocument(c, 3.5, 2.5, 11, 14);
    DrawDocument(c, 9.5, 7.5, 11, 14);
    DrawTextLines(c, 11.5, 12, 7, 3);
}

void DrawPaste(Canvas& c) {
    c.FillStroke(Rect(4.5, 4.5, 15, 17, 1.5), QColor(0xC2, 0x8A, 0x4E), kInk);
    c.FillStroke(Rect(7.5, 8.5, 9, 11), kPaper, kInk);
    DrawTextLines(c, 9, 11, 6, 3);
    c.FillStroke(Rect(8.5, 2.5, 7, 4, 1), kSteel, kInk);
}

void DrawSelectAll(Canvas& c) {
    c.Fill(Rect(6, 6, 12, 12), QColor(0xC9, 0xDE, 0xF7));
    QPen pen(c.Tint(kInk), 1, Qt::CustomDashLine, Qt::FlatCap);
    pen.setDashPattern({2, 2});
    c.p.strokePath(Rect(3.5, 3.5, 17, 17), pen);
}

// A level gauge, the image of each entry of the draw-value menu.
void DrawValue(Canvas& c) {
    c.FillStroke(Rect(3.5, 8.5, 17, 7, 1), kPaper, kInk);
    c.Fill(Rect(5, 10, 9, 4), kAmber);
}

// An output socket with its two contacts and the lead leaving it, the image of each entry of
// the output menu.
void DrawOutput(Canvas& c) {
    c.Stroke(Line({18, 12}, {22, 12}), kInk, 2);
    c.FillStroke(Circle(11, 12, 7.5), kPaperShade, kInk);
    c.Fill(Circle(8.5, 12, 1.6), kGreen);
    c.Fill(Circle(13.5, 12, 1.6), kGreen);
}

void DrawAbout(Canvas& c) {
    c.Fill(Circle(12, 12, 9.5), kBlue);
    c.Fill(Circle(12, 7.5, 1.5), kPaper);
    c.Fill(Rect(10.8, 10, 2.4, 8, 0.6), kPaper);
}

} // namespace

bool DrawMenuGlyph(Canvas& c, Glyph glyph) {
    switch (glyph) {
    case Glyph::NewProject:
        DrawNewProject(c);
        return true;
    case Glyph::ProjectProperties:
        DrawProjectProperties(c);
        return true;
    case Glyph::OpenProject:
        DrawOpenProject(c);
        return true;
    case Glyph::SaveProject:
        DrawSaveProject(c);
        return true;
    case Glyph::CreateSeqFile:
        DrawCreateSeqFile(c);
        return true;
    case Glyph::ReplaceSong:
        DrawReplaceSong(c);
        return true;
    case Glyph::Undo:
        DrawTurnArrow(c, false);
        return true;
    case Glyph::Redo:
        DrawTurnArrow(c, true);
        return true;
    case Glyph::NewTrack:
        DrawNewTrack(c);
        return true;
    case Glyph::DeleteTrack:
        DrawDeleteTrack(c);
        return true;
    case Glyph::Cut:
        DrawCut(c);
        return true;
    case Glyph::Copy:
        DrawCopy(c);
        return true;
    case Glyph::Paste:
        DrawPaste(c);
        return true;
    case Glyph::SelectAll:
        DrawSelectAll(c);
        return true;
    case Glyph::Value:
        DrawValue(c);
        return true;
    case Glyph::Output:
        DrawOutput(c);
        return true;
    case Glyph::About:
        DrawAbout(c);
        return true;
    default:
        return false;
    }
}

} // namespace lumivox::glyphs
