/*
 * artgen: draws every bitmap of the Krellbinder editor with Cairo and writes them as PNG files.
 *
 *   artgen --out DIR [--fonts DIR] [--preview FILE] [--preview-on FILE]
 *          [--zoom FILE X Y W H SCALE]
 *
 * --out      folder that receives the PNG files (it must exist).
 * --fonts    folder holding Roboto-*.ttf; RobotoCondensed-*.ttf is looked for there and one folder up.
 * --preview  also writes the whole editor as it looks with a typical session loaded (not a resource).
 * --preview-on  the same with every button on, to judge the lit frames side by side.
 * --zoom     a magnified crop of the preview, for checking alignment pixel by pixel.
 *
 * The output is deterministic: same fonts and same Cairo give byte-identical files. The knob strip and
 * the buttons hold their frames stacked vertically (frame 0 at the top: off, or the minimum).
 */
#include <cairo-ft.h>
#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <png.h>

#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "DrumNames.h"
#include "EditorSize.h"

#define PI 3.14159265358979323846

#define KNOB_SIZE 30
#define KNOB_FRAMES 127
#define COLUMN_PITCH 63
#define NUM_CHANNELS 12
#define NUM_STEPS 16

/* ------------------------------------------------------------------------------------------------ */
/* Palette                                                                                           */

#define C_PANEL_TOP 0x25272b
#define C_PANEL_BOTTOM 0x1a1b1e
#define C_PLATE 0x2b2d32
#define C_PLATE_EDGE 0x0e0f11
#define C_LABEL 0x9499a2
#define C_LABEL_DIM 0x6b7078
#define C_TEXT 0xe6e8ec
#define C_ORANGE_HI 0xffb067
#define C_ORANGE 0xff8a2b
#define C_ORANGE_LO 0xe0620f
#define C_KEY_TOP 0x4a4d54
#define C_KEY_BOTTOM 0x35383d
#define C_KEY_TEXT 0xc9cdd3
#define C_KEY_EDGE 0x0c0d0f

/* ------------------------------------------------------------------------------------------------ */
/* Fonts                                                                                             */

enum
{
  F_REGULAR,
  F_MEDIUM,
  F_BOLD,
  F_COND,
  F_COND_BOLD,
  F_COUNT
};

static const char* const kFontFiles[F_COUNT] = {"Roboto-Regular.ttf", "Roboto-Medium.ttf", "Roboto-Bold.ttf",
                                                "RobotoCondensed-Regular.ttf", "RobotoCondensed-Bold.ttf"};

static FT_Library gFt;
static FT_Face gFtFaces[F_COUNT];
static cairo_font_face_t* gFonts[F_COUNT];

static int FileExists(const char* path)
{
  FILE* f = fopen(path, "rb");
  if (!f)
    return 0;
  fclose(f);
  return 1;
}

static int LoadFonts(const char* dir)
{
  if (FT_Init_FreeType(&gFt) != 0)
  {
    fprintf(stderr, "artgen: cannot start FreeType\n");
    return 0;
  }
  for (int i = 0; i < F_COUNT; ++i)
  {
    char path[4096];
    snprintf(path, sizeof path, "%s/%s", dir, kFontFiles[i]);
    if (!FileExists(path))
      snprintf(path, sizeof path, "%s/../%s", dir, kFontFiles[i]);
    if (!FileExists(path))
    {
      fprintf(stderr, "artgen: font %s not found in %s or its parent\n", kFontFiles[i], dir);
      return 0;
    }
    if (FT_New_Face(gFt, path, 0, &gFtFaces[i]) != 0)
    {
      fprintf(stderr, "artgen: cannot read font %s\n", path);
      return 0;
    }
    gFonts[i] = cairo_ft_font_face_create_for_ft_face(gFtFaces[i], 0);
  }
  return 1;
}

static void FreeFonts(void)
{
  for (int i = 0; i < F_COUNT; ++i)
  {
    if (gFonts[i])
      cairo_font_face_destroy(gFonts[i]);
    if (gFtFaces[i])
      FT_Done_Face(gFtFaces[i]);
  }
  FT_Done_FreeType(gFt);
}

/* Unhinted outlines with grey antialiasing: the same pixels on every machine with the same Cairo. */
static void UseFont(cairo_t* cr, int font, double size)
{
  cairo_set_font_face(cr, gFonts[font]);
  cairo_set_font_size(cr, size);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_set_font_options(cr, options);
  cairo_font_options_destroy(options);
}

enum
{
  ALIGN_LEFT,
  ALIGN_CENTER,
  ALIGN_RIGHT
};

/* Copies the UTF-8 sequence of one character at text into one[] and returns its length in bytes. */
static int NextChar(const char* text, char one[5])
{
  const unsigned char lead = (unsigned char)text[0];
  int n = lead < 0x80 ? 1 : lead < 0xe0 ? 2 : lead < 0xf0 ? 3 : 4;
  for (int i = 0; i < n; ++i)
  {
    one[i] = text[i];
    if (text[i] == 0)
      n = i;
  }
  one[n] = 0;
  return n > 0 ? n : 1;
}

static double TextWidth(cairo_t* cr, const char* text, double tracking)
{
  double width = 0.0;
  int count = 0;
  char one[5];
  for (const char* p = text; *p; p += NextChar(p, one))
  {
    NextChar(p, one);
    cairo_text_extents_t e;
    cairo_text_extents(cr, one, &e);
    width += e.x_advance;
    ++count;
  }
  return width + (count > 1 ? tracking * (count - 1) : 0.0);
}

/* Draws text with its capital letters centred on y (Roboto's cap height is 0.711 em). */
static void Text(cairo_t* cr, int font, double size, double x, double y, int align, double tracking, const char* text)
{
  UseFont(cr, font, size);
  const double width = TextWidth(cr, text, tracking);
  double left = x;
  if (align == ALIGN_CENTER)
    left = x - width / 2.0;
  if (align == ALIGN_RIGHT)
    left = x - width;
  const double baseline = y + 0.711 * size / 2.0;
  double pen = left;
  char one[5];
  for (const char* p = text; *p; p += NextChar(p, one))
  {
    NextChar(p, one);
    cairo_text_extents_t e;
    cairo_text_extents(cr, one, &e);
    cairo_move_to(cr, pen, baseline);
    cairo_text_path(cr, one);
    pen += e.x_advance + tracking;
  }
  /* Outlines rather than glyph images: glyphs keep their fractional positions. */
  cairo_fill(cr);
}

/* ------------------------------------------------------------------------------------------------ */
/* Drawing helpers                                                                                   */

static void Rgb(cairo_t* cr, uint32_t hex)
{
  cairo_set_source_rgb(cr, ((hex >> 16) & 255) / 255.0, ((hex >> 8) & 255) / 255.0, (hex & 255) / 255.0);
}

static void Rgba(cairo_t* cr, uint32_t hex, double alpha)
{
  cairo_set_source_rgba(cr, ((hex >> 16) & 255) / 255.0, ((hex >> 8) & 255) / 255.0, (hex & 255) / 255.0, alpha);
}

static void Stop(cairo_pattern_t* p, double offset, uint32_t hex, double alpha)
{
  cairo_pattern_add_color_stop_rgba(p, offset, ((hex >> 16) & 255) / 255.0, ((hex >> 8) & 255) / 255.0,
                                    (hex & 255) / 255.0, alpha);
}

static void RoundRect(cairo_t* cr, double x, double y, double w, double h, double r)
{
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - r, y + r, r, -PI / 2, 0);
  cairo_arc(cr, x + w - r, y + h - r, r, 0, PI / 2);
  cairo_arc(cr, x + r, y + h - r, r, PI / 2, PI);
  cairo_arc(cr, x + r, y + r, r, PI, 3 * PI / 2);
  cairo_close_path(cr);
}

/* A rectangle whose top corners (top != 0) or bottom corners are rounded: the halves of a rocker. */
static void HalfRoundRect(cairo_t* cr, double x, double y, double w, double h, double r, int top)
{
  cairo_new_sub_path(cr);
  if (top)
  {
    cairo_move_to(cr, x, y + h);
    cairo_arc(cr, x + r, y + r, r, PI, 3 * PI / 2);
    cairo_arc(cr, x + w - r, y + r, r, -PI / 2, 0);
    cairo_line_to(cr, x + w, y + h);
  }
  else
  {
    cairo_move_to(cr, x, y);
    cairo_line_to(cr, x + w, y);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, PI / 2, PI);
  }
  cairo_close_path(cr);
}

static void FillVertical(cairo_t* cr, double y0, double y1, uint32_t top, uint32_t bottom)
{
  cairo_pattern_t* p = cairo_pattern_create_linear(0, y0, 0, y1);
  Stop(p, 0, top, 1);
  Stop(p, 1, bottom, 1);
  cairo_set_source(cr, p);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(p);
}

enum
{
  KEY_GREY,
  KEY_ORANGE,
  KEY_YELLOW,
  KEY_RED
};

static void KeyColours(int colour, uint32_t* top, uint32_t* bottom)
{
  switch (colour)
  {
    case KEY_ORANGE:
      *top = 0xffa24a;
      *bottom = 0xe8680f;
      break;
    case KEY_YELLOW:
      *top = 0xffe066;
      *bottom = 0xf0b412;
      break;
    case KEY_RED:
      *top = 0xff6a52;
      *bottom = 0xd42a1c;
      break;
    default:
      *top = C_KEY_TOP;
      *bottom = C_KEY_BOTTOM;
      break;
  }
}

/*
 * A rubber key: soft shadow below, a vertical gradient face, a dark rim and a light top edge. A lit key
 * (any colour but grey) also gets a faint glow inside its rim so that it reads as backlit.
 */
static void Key(cairo_t* cr, double x, double y, double w, double h, double r, int colour)
{
  uint32_t top, bottom;
  KeyColours(colour, &top, &bottom);

  RoundRect(cr, x, y + 1, w, h, r);
  Rgba(cr, 0x000000, 0.55);
  cairo_fill(cr);

  RoundRect(cr, x, y, w, h, r);
  FillVertical(cr, y, y + h, top, bottom);
  cairo_new_path(cr);

  if (colour != KEY_GREY)
  {
    cairo_pattern_t* glow =
      cairo_pattern_create_radial(x + w / 2, y + h * 0.45, 0, x + w / 2, y + h * 0.45, (w > h ? w : h) * 0.6);
    Stop(glow, 0, 0xffffff, 0.30);
    Stop(glow, 1, 0xffffff, 0.0);
    RoundRect(cr, x, y, w, h, r);
    cairo_set_source(cr, glow);
    cairo_fill(cr);
    cairo_pattern_destroy(glow);
  }

  /* Light top edge. */
  cairo_save(cr);
  RoundRect(cr, x, y, w, h, r);
  cairo_clip(cr);
  RoundRect(cr, x + 0.5, y + 0.5, w - 1, h + 4, r);
  Rgba(cr, 0xffffff, colour == KEY_GREY ? 0.14 : 0.45);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  cairo_restore(cr);

  RoundRect(cr, x + 0.5, y + 0.5, w - 1, h - 1, r - 0.5 > 0 ? r - 0.5 : 0.5);
  Rgba(cr, C_KEY_EDGE, colour == KEY_GREY ? 0.9 : 0.55);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
}

static uint32_t KeyTextColour(int colour) { return colour == KEY_GREY ? C_KEY_TEXT : 0x1e1407; }

/* A bar lamp (the window of a step key, the step LEDs). */
static void BarLamp(cairo_t* cr, double x, double y, double w, double h, uint32_t colour, int lit, double halo)
{
  const double r = h / 2;
  if (lit && halo > 0)
  {
    for (int i = 3; i >= 1; --i)
    {
      RoundRect(cr, x - halo * i / 3, y - halo * i / 3, w + 2 * halo * i / 3, h + 2 * halo * i / 3, r + halo * i / 3);
      Rgba(cr, colour, 0.16);
      cairo_fill(cr);
    }
  }
  RoundRect(cr, x, y, w, h, r);
  cairo_pattern_t* p = cairo_pattern_create_linear(0, y, 0, y + h);
  if (lit)
  {
    Stop(p, 0, 0xffffff, 1);
    Stop(p, 0.35, colour, 1);
    Stop(p, 1, colour, 1);
  }
  else
  {
    Stop(p, 0, 0x121315, 1);
    Stop(p, 1, 0x2a2c30, 1);
  }
  cairo_set_source(cr, p);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(p);
  Rgba(cr, 0x000000, lit ? 0.35 : 0.8);
  cairo_set_line_width(cr, 0.8);
  cairo_stroke(cr);
  if (!lit)
  {
    /* A hint of the lamp's colour behind the dark lens. */
    RoundRect(cr, x + 1, y + 1, w - 2, h - 2, r - 1 > 0.5 ? r - 1 : 0.5);
    Rgba(cr, colour, 0.12);
    cairo_fill(cr);
  }
}

/* ------------------------------------------------------------------------------------------------ */
/* Bitmaps                                                                                           */

/* Every bitmap is a vertical strip of frames; the drawer paints one frame at (0, 0). */
typedef void (*FrameDrawer)(cairo_t* cr, int frame, int variant);

typedef struct
{
  const char* file;
  int width;
  int frameHeight;
  int frames;
  FrameDrawer draw;
  int variant;
  cairo_surface_t* surface; /* filled in when drawn */
} Bitmap;

#define LED_RED 0xff3b24
#define STEP_LIT 0xff8a2b
#define MODE_COLOUR_STOP 0xff4a36
#define MODE_COLOUR_RUN 0x4fe07a
#define MODE_COLOUR_SYNC 0xffa030
#define MODE_COLOUR_MIDI 0x4fb8ff

static void DrawLed(cairo_t* cr, int frame, int variant)
{
  (void)variant;
  BarLamp(cr, 4, 3, 43, 5, LED_RED, frame, 2.5);
}

static void DrawStep(cairo_t* cr, int frame, int variant)
{
  (void)variant;
  Key(cr, 1, 1, 50, 37, 4, frame ? KEY_ORANGE : KEY_GREY);
  if (frame)
  {
    BarLamp(cr, 16, 6, 20, 4, 0xfff1d6, 1, 0);
  }
  else
  {
    BarLamp(cr, 16, 6, 20, 4, STEP_LIT, 0, 0);
  }
  /* Grip lines on the lower half of the pad. */
  for (int i = 0; i < 3; ++i)
  {
    const double y = 24.5 + i * 3;
    cairo_move_to(cr, 19, y);
    cairo_line_to(cr, 33, y);
    Rgba(cr, frame ? 0x7a2a00 : 0x000000, frame ? 0.35 : 0.45);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    cairo_move_to(cr, 19, y + 1);
    cairo_line_to(cr, 33, y + 1);
    Rgba(cr, 0xffffff, frame ? 0.25 : 0.07);
    cairo_stroke(cr);
  }
}

static const char* const kModeLabels[4] = {"STOP", "RUN", "HOST SYNC", "MIDI"};
static const uint32_t kModeColours[4] = {MODE_COLOUR_STOP, MODE_COLOUR_RUN, MODE_COLOUR_SYNC, MODE_COLOUR_MIDI};

static void DrawMode(cairo_t* cr, int frame, int variant)
{
  Key(cr, 1, 1, 50, 37, 4, KEY_GREY);
  if (frame)
  {
    /* The face of the lit mode key takes a tint of its lamp. */
    RoundRect(cr, 1.5, 1.5, 49, 36, 3.5);
    Rgba(cr, kModeColours[variant], 0.16);
    cairo_fill(cr);
  }
  BarLamp(cr, 14, 6, 24, 4, kModeColours[variant], frame, 2.0);
  Rgb(cr, frame ? 0xffffff : C_KEY_TEXT);
  /* One size for all four labels: the one at which the longest still leaves a margin in the key. */
  double size = 10.0;
  for (;;)
  {
    UseFont(cr, F_COND_BOLD, size);
    if (TextWidth(cr, "HOST SYNC", 0.5) <= 40 || size <= 7)
      break;
    size -= 0.25;
  }
  Text(cr, F_COND_BOLD, size, 26, 24, ALIGN_CENTER, 0.5, kModeLabels[variant]);
}

static void DrawSmallKeyText(cairo_t* cr, int frame, const char* text, int font, double size)
{
  const int colour = frame ? KEY_ORANGE : KEY_GREY;
  Key(cr, 1, 1, 50, 16, 3, colour);
  Rgb(cr, KeyTextColour(colour));
  Text(cr, font, size, 26, 9, ALIGN_CENTER, 0.5, text);
}

static void DrawSelect(cairo_t* cr, int frame, int variant)
{
  char text[16];
  snprintf(text, sizeof text, "%d", variant + 1);
  DrawSmallKeyText(cr, frame, text, F_MEDIUM, 10.5);
}

static const char* const kNoteNames[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};

static void DrawPattern(cairo_t* cr, int frame, int variant)
{
  char text[16];
  snprintf(text, sizeof text, "%d", variant + 1);
  DrawSmallKeyText(cr, frame, text, F_MEDIUM, 10.5);
  /* The note that selects this pattern in host-sync mode, small in the corner. */
  Rgba(cr, KeyTextColour(frame ? KEY_ORANGE : KEY_GREY), 0.5);
  Text(cr, F_COND, 7, 47, 9, ALIGN_RIGHT, 0, kNoteNames[variant]);
}

static void DrawOctave(cairo_t* cr, int frame, int variant)
{
  DrawSmallKeyText(cr, frame, variant == 0 ? "OCT 2" : "OCT 3", F_COND_BOLD, 9.5);
}

static void DrawPrevNext(cairo_t* cr, int frame, int next)
{
  /* The two halves of one rocker: previous on top, next below, so the pair reads as one switch. */
  HalfRoundRect(cr, 0.5, next ? 0 : 0.5, 10, 9.5, 2.5, !next);
  FillVertical(cr, 0, 10, frame ? 0xffa24a : C_KEY_TOP, frame ? 0xe8680f : C_KEY_BOTTOM);
  Rgba(cr, C_KEY_EDGE, 0.9);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  const double cx = 5.5, cy = next ? 4.6 : 5.4;
  cairo_move_to(cr, cx - 2.8, cy + (next ? -1.4 : 1.4));
  cairo_line_to(cr, cx + 2.8, cy + (next ? -1.4 : 1.4));
  cairo_line_to(cr, cx, cy + (next ? 1.8 : -1.8));
  cairo_close_path(cr);
  Rgb(cr, frame ? 0x1e1407 : C_KEY_TEXT);
  cairo_fill(cr);
}

static void DrawPrev(cairo_t* cr, int frame, int variant)
{
  (void)variant;
  DrawPrevNext(cr, frame, 0);
}

static void DrawNext(cairo_t* cr, int frame, int variant)
{
  (void)variant;
  DrawPrevNext(cr, frame, 1);
}

static void DrawPlay(cairo_t* cr, int frame, int variant)
{
  (void)variant;
  cairo_arc(cr, 5.5, 6.0, 5.0, 0, 2 * PI);
  Rgba(cr, 0x000000, 0.55);
  cairo_fill(cr);
  cairo_arc(cr, 5.5, 5.5, 5.0, 0, 2 * PI);
  FillVertical(cr, 0.5, 10.5, frame ? 0xffa24a : C_KEY_TOP, frame ? 0xe8680f : C_KEY_BOTTOM);
  Rgba(cr, C_KEY_EDGE, 0.9);
  cairo_set_line_width(cr, 0.9);
  cairo_stroke(cr);
  cairo_move_to(cr, 4.2, 3.0);
  cairo_line_to(cr, 8.2, 5.5);
  cairo_line_to(cr, 4.2, 8.0);
  cairo_close_path(cr);
  Rgb(cr, frame ? 0x1e1407 : C_KEY_TEXT);
  cairo_fill(cr);
}

static void FolderGlyph(cairo_t* cr, double x, double y, double w, double h, uint32_t colour)
{
  /* Back with its tab, then the front flap, slightly lower, as on a file manager's folder. */
  cairo_new_path(cr);
  cairo_move_to(cr, x, y + 1);
  cairo_line_to(cr, x + w * 0.38, y + 1);
  cairo_line_to(cr, x + w * 0.48, y + 2.2);
  cairo_line_to(cr, x + w, y + 2.2);
  cairo_line_to(cr, x + w, y + h);
  cairo_line_to(cr, x, y + h);
  cairo_close_path(cr);
  Rgba(cr, colour, 0.55);
  cairo_fill(cr);
  RoundRect(cr, x, y + 3.3, w, h - 3.3, 0.8);
  Rgb(cr, colour);
  cairo_fill(cr);
}

static void DrawFolder(cairo_t* cr, int frame, int variant)
{
  (void)variant;
  const int colour = frame ? KEY_ORANGE : KEY_GREY;
  Key(cr, 1, 1, 19, 15, 3, colour);
  FolderGlyph(cr, 5.5, 4.5, 10, 7.5, KeyTextColour(colour));
}

static void DrawSoloMute(cairo_t* cr, int frame, int solo)
{
  const int colour = frame ? (solo ? KEY_YELLOW : KEY_RED) : KEY_GREY;
  Key(cr, 1, 1, 24, 18, 3, colour);
  Rgb(cr, frame ? 0x221202 : C_KEY_TEXT);
  Text(cr, F_BOLD, 11, 13, 10, ALIGN_CENTER, 0, solo ? "S" : "M");
}

static void DrawSolo(cairo_t* cr, int frame, int variant)
{
  (void)variant;
  DrawSoloMute(cr, frame, 1);
}

static void DrawMute(cairo_t* cr, int frame, int variant)
{
  (void)variant;
  DrawSoloMute(cr, frame, 0);
}

/* Two beamed eighth notes with a triplet "3": the shuffle a swing switch adds. */
static void SwingGlyph(cairo_t* cr, double x, double y, uint32_t colour)
{
  Rgb(cr, colour);
  for (int i = 0; i < 2; ++i)
  {
    const double hx = x + 2.2 + i * 7.0, hy = y + 9.2;
    cairo_save(cr);
    cairo_translate(cr, hx, hy);
    cairo_rotate(cr, -0.45);
    cairo_scale(cr, 2.2, 1.6);
    cairo_arc(cr, 0, 0, 1, 0, 2 * PI);
    cairo_restore(cr);
    cairo_fill(cr);
    cairo_rectangle(cr, hx + 1.3, y + 2.2, 1.0, 7.0);
    cairo_fill(cr);
  }
  cairo_rectangle(cr, x + 3.5, y + 2.0, 8.0, 1.8);
  cairo_fill(cr);
  Text(cr, F_COND_BOLD, 7, x + 15.5, y + 3.6, ALIGN_CENTER, 0, "3");
}

static void DrawSwing(cairo_t* cr, int frame, int variant)
{
  (void)variant;
  const int colour = frame ? KEY_ORANGE : KEY_GREY;
  Key(cr, 1, 1, 43, 15, 3, colour);
  SwingGlyph(cr, 14, 2.3, KeyTextColour(colour));
}

/* The knob's pointer angle for value v, clockwise from twelve o'clock: 270 degrees of travel. */
static double KnobAngle(double v) { return (-135.0 + 270.0 * v) * PI / 180.0; }

static void DrawKnob(cairo_t* cr, int frame, int variant)
{
  (void)variant;
  const double cx = 15, cy = 15;
  const double v = frame / (double)(KNOB_FRAMES - 1);
  const double start = KnobAngle(0) - PI / 2, end = KnobAngle(1) - PI / 2, now = KnobAngle(v) - PI / 2;

  /* Value ring: a dark track with the travelled part lit. */
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_width(cr, 2.2);
  cairo_arc(cr, cx, cy, 13.2, start, end);
  Rgb(cr, 0x0f1012);
  cairo_stroke(cr);
  if (frame > 0)
  {
    cairo_arc(cr, cx, cy, 13.2, start, now);
    Rgb(cr, C_ORANGE);
    cairo_stroke(cr);
  }
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);

  /* Shadow and dark skirt. */
  cairo_arc(cr, cx, cy + 1.2, 11.0, 0, 2 * PI);
  Rgba(cr, 0x000000, 0.6);
  cairo_fill(cr);
  cairo_arc(cr, cx, cy, 10.8, 0, 2 * PI);
  FillVertical(cr, cy - 11, cy + 11, 0x4b4e55, 0x16171a);
  Rgba(cr, 0x000000, 0.9);
  cairo_set_line_width(cr, 0.8);
  cairo_stroke(cr);

  /* Brushed-metal cap lit from the top left. */
  const double capR = 8.4;
  cairo_arc(cr, cx, cy, capR, 0, 2 * PI);
  cairo_pattern_t* metal = cairo_pattern_create_linear(cx - capR, cy - capR, cx + capR, cy + capR);
  Stop(metal, 0, 0xf2f4f6, 1);
  Stop(metal, 0.5, 0xb9bdc3, 1);
  Stop(metal, 1, 0x7d8188, 1);
  cairo_set_source(cr, metal);
  cairo_fill(cr);
  cairo_pattern_destroy(metal);
  for (double r = 1.5; r < capR; r += 1.3)
  {
    cairo_arc(cr, cx, cy, r, 0, 2 * PI);
    Rgba(cr, ((int)(r * 10) % 2) ? 0xffffff : 0x000000, 0.05);
    cairo_set_line_width(cr, 0.6);
    cairo_stroke(cr);
  }
  cairo_pattern_t* shine = cairo_pattern_create_radial(cx - 3, cy - 4, 0, cx - 3, cy - 4, 6);
  Stop(shine, 0, 0xffffff, 0.55);
  Stop(shine, 1, 0xffffff, 0.0);
  cairo_arc(cr, cx, cy, capR, 0, 2 * PI);
  cairo_set_source(cr, shine);
  cairo_fill(cr);
  cairo_pattern_destroy(shine);
  cairo_arc(cr, cx, cy, capR, 0, 2 * PI);
  Rgba(cr, 0x000000, 0.55);
  cairo_set_line_width(cr, 0.7);
  cairo_stroke(cr);

  /* Pointer: a dark engraved line from near the centre to the cap's rim. */
  const double a = KnobAngle(v);
  const double sx = sin(a), sy = -cos(a);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_width(cr, 2.0);
  cairo_move_to(cr, cx + sx * 2.5, cy + sy * 2.5);
  cairo_line_to(cr, cx + sx * 7.4, cy + sy * 7.4);
  Rgb(cr, 0x17181b);
  cairo_stroke(cr);
  /* The pointer's tip carries the accent on the skirt, visible from a distance. */
  cairo_set_line_width(cr, 1.6);
  cairo_move_to(cr, cx + sx * 9.0, cy + sy * 9.0);
  cairo_line_to(cr, cx + sx * 10.3, cy + sy * 10.3);
  Rgb(cr, C_ORANGE_HI);
  cairo_stroke(cr);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
}

/* ------------------------------------------------------------------------------------------------ */
/* The background                                                                                    */

/* Control positions of the editor, in view units. */
static int ColumnX(int ch) { return 100 + COLUMN_PITCH * ch; }
static int StepX(int i) { return 104 + 63 * i; }

#define KNOB_Y_PAN 189
#define KNOB_Y_VOLUME 232
#define KNOB_Y_PITCH 275
#define KNOB_Y_LENGTH 339
#define MASTER_KNOB_X 1062
#define MASTER_VOLUME_Y 129
#define MASTER_SWING_Y 174

static void Plate(cairo_t* cr, double x, double y, double w, double h)
{
  RoundRect(cr, x, y + 1, w, h, 6);
  Rgba(cr, 0xffffff, 0.05);
  cairo_fill(cr);
  RoundRect(cr, x, y, w, h, 6);
  FillVertical(cr, y, y + h, 0x2d2f34, 0x25272b);
  Rgb(cr, C_PLATE_EDGE);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  RoundRect(cr, x + 1, y + 1, w - 2, h - 2, 5);
  Rgba(cr, 0xffffff, 0.045);
  cairo_stroke(cr);
}

/* A recessed window: the sample-name displays. */
static void Recess(cairo_t* cr, double x, double y, double w, double h, double r)
{
  RoundRect(cr, x - 0.5, y - 0.5, w + 1, h + 1.5, r + 0.5);
  Rgba(cr, 0xffffff, 0.07);
  cairo_fill(cr);
  RoundRect(cr, x, y, w, h, r);
  FillVertical(cr, y, y + h, 0x08090a, 0x111316);
  Rgba(cr, 0x000000, 0.9);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
}

static void KnobScale(cairo_t* cr, double cx, double cy, int centreMark)
{
  for (int i = 0; i <= 10; ++i)
  {
    const double a = KnobAngle(i / 10.0);
    const int major = i == 0 || i == 10 || (centreMark && i == 5);
    const double r0 = 16.2, r1 = major ? 19.0 : 17.8;
    cairo_move_to(cr, cx + sin(a) * r0, cy - cos(a) * r0);
    cairo_line_to(cr, cx + sin(a) * r1, cy - cos(a) * r1);
    Rgba(cr, major ? 0xb7bcc4 : 0x71767e, 1);
    cairo_set_line_width(cr, major ? 1.2 : 0.9);
    cairo_stroke(cr);
  }
}

static void RowLabel(cairo_t* cr, double y, const char* text)
{
  Rgb(cr, C_LABEL);
  Text(cr, F_COND_BOLD, 10, 88, y, ALIGN_RIGHT, 1.2, text);
}

static void SectionTitle(cairo_t* cr, double x, double y, int align, const char* text)
{
  Rgb(cr, C_ORANGE);
  Text(cr, F_BOLD, 9.5, x, y, align, 2.0, text);
}

static void Screw(cairo_t* cr, double cx, double cy)
{
  cairo_arc(cr, cx, cy + 0.8, 5, 0, 2 * PI);
  Rgba(cr, 0xffffff, 0.06);
  cairo_fill(cr);
  cairo_arc(cr, cx, cy, 5, 0, 2 * PI);
  cairo_pattern_t* p = cairo_pattern_create_linear(cx - 5, cy - 5, cx + 5, cy + 5);
  Stop(p, 0, 0x8a8e95, 1);
  Stop(p, 1, 0x2e3034, 1);
  cairo_set_source(cr, p);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(p);
  Rgba(cr, 0x000000, 0.8);
  cairo_set_line_width(cr, 0.8);
  cairo_stroke(cr);
  cairo_save(cr);
  cairo_translate(cr, cx, cy);
  cairo_rotate(cr, 0.6);
  cairo_rectangle(cr, -3.6, -0.7, 7.2, 1.4);
  cairo_rectangle(cr, -0.7, -3.6, 1.4, 7.2);
  cairo_restore(cr);
  Rgba(cr, 0x111214, 0.9);
  cairo_fill(cr);
}

/* Draws the product mark and name; returns the right end of the name. */
static double Logo(cairo_t* cr, double x, double cy)
{
  /* A 2 x 2 grid of pads, one lit: the product mark. */
  for (int i = 0; i < 4; ++i)
  {
    const double px = x + (i % 2) * 11, py = cy - 10.5 + (i / 2) * 11;
    RoundRect(cr, px, py, 9, 9, 2);
    if (i == 1)
    {
      FillVertical(cr, py, py + 9, 0xffa24a, 0xe8680f);
    }
    else
    {
      FillVertical(cr, py, py + 9, 0x55585f, 0x3a3c42);
    }
    Rgba(cr, 0x000000, 0.7);
    cairo_set_line_width(cr, 0.8);
    cairo_stroke(cr);
  }
  Rgb(cr, 0xf1f2f4);
  Text(cr, F_BOLD, 22, x + 32, cy, ALIGN_LEFT, 3.5, "KRELLBINDER");
  UseFont(cr, F_BOLD, 22);
  return x + 32 + TextWidth(cr, "KRELLBINDER", 3.5);
}

static void DrawBackground(cairo_t* cr, int frame, int variant)
{
  (void)frame;
  (void)variant;

  /* Panel. */
  cairo_rectangle(cr, 0, 0, kEditorWidth, kEditorHeight);
  FillVertical(cr, 0, kEditorHeight, C_PANEL_TOP, C_PANEL_BOTTOM);
  cairo_new_path(cr);

  /* Title bar. */
  cairo_rectangle(cr, 0, 0, kEditorWidth, 54);
  FillVertical(cr, 0, 54, 0x17181b, 0x121315);
  cairo_new_path(cr);
  cairo_rectangle(cr, 0, 54, kEditorWidth, 1);
  Rgb(cr, 0x07080a);
  cairo_fill(cr);
  cairo_rectangle(cr, 0, 55, kEditorWidth, 1);
  Rgba(cr, 0xffffff, 0.06);
  cairo_fill(cr);
  cairo_rectangle(cr, 0, 0, kEditorWidth, 2);
  Rgb(cr, C_ORANGE_LO);
  cairo_fill(cr);
  Screw(cr, 20, 27);
  Screw(cr, kEditorWidth - 20, 27);
  const double logoEnd = Logo(cr, 104, 28);
  cairo_rectangle(cr, logoEnd + 14, 19, 1, 18);
  Rgba(cr, 0xffffff, 0.15);
  cairo_fill(cr);
  Rgb(cr, C_ORANGE);
  Text(cr, F_MEDIUM, 10, logoEnd + 29, 28, ALIGN_LEFT, 3.0, "DRUM MACHINE");
  Rgb(cr, C_LABEL_DIM);
  Text(cr, F_REGULAR, 10, 1101, 28, ALIGN_RIGHT, 2.0, "12 CHANNELS  \xc2\xb7  16 STEPS  \xc2\xb7  24 PATTERNS");

  /* Channel strip. */
  Plate(cr, 94, 64, 773, 336);
  /* Header band with the drum numbers and names. */
  RoundRect(cr, 95, 65, 771, 40, 5);
  FillVertical(cr, 65, 105, 0x222429, 0x1d1f23);
  cairo_new_path(cr);
  cairo_rectangle(cr, 95, 105, 771, 1);
  Rgba(cr, 0x000000, 0.6);
  cairo_fill(cr);
  for (int ch = 0; ch < NUM_CHANNELS; ++ch)
  {
    const double cx = ColumnX(ch) + 29.5;
    char number[16];
    snprintf(number, sizeof number, "%02d", ch + 1);
    Rgb(cr, C_ORANGE);
    Text(cr, F_BOLD, 10, cx, 76, ALIGN_CENTER, 0.5, number);

    /* Names that do not fit one line break at their last space. */
    const char* name = kDrumNames[ch];
    UseFont(cr, F_COND, 10.5);
    Rgb(cr, C_TEXT);
    if (TextWidth(cr, name, 0) <= 56)
    {
      Text(cr, F_COND, 10.5, cx, 93, ALIGN_CENTER, 0, name);
    }
    else
    {
      char first[32];
      const char* space = strrchr(name, ' ');
      const size_t n = (size_t)(space - name);
      memcpy(first, name, n);
      first[n] = 0;
      Text(cr, F_COND, 10.5, cx, 88, ALIGN_CENTER, 0, first);
      Text(cr, F_COND, 10.5, cx, 99, ALIGN_CENTER, 0, space + 1);
    }
  }
  /* Column dividers. */
  for (int ch = 1; ch < NUM_CHANNELS; ++ch)
  {
    const double x = ColumnX(ch) - 2;
    cairo_rectangle(cr, x - 0.5, 69, 1, 327);
    Rgba(cr, 0x000000, 0.45);
    cairo_fill(cr);
    cairo_rectangle(cr, x + 0.5, 69, 1, 327);
    Rgba(cr, 0xffffff, 0.04);
    cairo_fill(cr);
  }
  for (int ch = 0; ch < NUM_CHANNELS; ++ch)
  {
    const int x = ColumnX(ch), ox = COLUMN_PITCH * ch;
    Recess(cr, x, 155, 55, 20, 2.5);
    const double kx = 115 + ox + KNOB_SIZE / 2.0;
    KnobScale(cr, kx, KNOB_Y_PAN + 15, 1);
    KnobScale(cr, kx, KNOB_Y_VOLUME + 15, 0);
    KnobScale(cr, kx, KNOB_Y_PITCH + 15, 1);
    KnobScale(cr, kx, KNOB_Y_LENGTH + 15, 0);
  }
  RowLabel(cr, 85, "CHANNEL");
  RowLabel(cr, 119, "SAMPLE");
  RowLabel(cr, 142.5, "MUTE  SOLO");
  RowLabel(cr, 165, "FILE");
  RowLabel(cr, KNOB_Y_PAN + 15, "PAN");
  RowLabel(cr, KNOB_Y_VOLUME + 15, "VOLUME");
  RowLabel(cr, KNOB_Y_PITCH + 15, "PITCH");
  RowLabel(cr, 317, "SWING");
  RowLabel(cr, KNOB_Y_LENGTH + 15, "LENGTH");
  RowLabel(cr, 382.5, "EDIT");

  /* Master and pattern section. */
  Plate(cr, 905, 64, 207, 336);
  SectionTitle(cr, 921, 84, ALIGN_LEFT, "MASTER");
  cairo_rectangle(cr, 921, 95, 175, 1);
  Rgba(cr, 0xffffff, 0.08);
  cairo_fill(cr);
  const double mx = MASTER_KNOB_X + 15;
  KnobScale(cr, mx, MASTER_VOLUME_Y + 15, 0);
  KnobScale(cr, mx, MASTER_SWING_Y + 15, 0);
  Rgb(cr, C_LABEL);
  Text(cr, F_COND_BOLD, 10, 1038, MASTER_VOLUME_Y + 15, ALIGN_RIGHT, 1.2, "VOLUME");
  Text(cr, F_COND_BOLD, 10, 1038, MASTER_SWING_Y + 15, ALIGN_RIGHT, 1.2, "SWING");
  SectionTitle(cr, 921, 238, ALIGN_LEFT, "PATTERN");
  cairo_rectangle(cr, 921, 249, 175, 1);
  Rgba(cr, 0xffffff, 0.08);
  cairo_fill(cr);
  Rgb(cr, C_LABEL);
  Text(cr, F_COND_BOLD, 10, 1070, 282.5, ALIGN_CENTER, 1.2, "OCTAVE");
  Rgb(cr, C_LABEL_DIM);
  Text(cr, F_COND, 8.5, 1097, 238, ALIGN_RIGHT, 0.6, "MIDI C2 - B3");

  /* Step sequencer. */
  Plate(cr, 94, 406, 1018, 116);
  static const uint32_t kBeatColours[4] = {0xe8452c, 0xf5892a, 0xf2c230, 0xe9e4d0};
  for (int g = 0; g < 4; ++g)
  {
    const double x0 = StepX(4 * g), x1 = StepX(4 * g + 3) + 52;
    RoundRect(cr, x0, 419, x1 - x0, 3, 1.5);
    Rgb(cr, kBeatColours[g]);
    cairo_fill(cr);
  }
  for (int i = 0; i < NUM_STEPS; ++i)
  {
    char number[16];
    snprintf(number, sizeof number, "%d", i + 1);
    Rgb(cr, i % 4 == 0 ? C_TEXT : C_LABEL);
    Text(cr, i % 4 == 0 ? F_BOLD : F_MEDIUM, 10, StepX(i) + 26, 437, ALIGN_CENTER, 0, number);
  }
  RowLabel(cr, 475, "STEPS");
  RowLabel(cr, 506.5, "PLAYING");

  /* Mode switches. */
  Plate(cr, 94, 534, 258, 58);
  RowLabel(cr, 563, "MODE");

  /* MIDI map, as a reminder printed on the panel. */
  Rgb(cr, C_LABEL_DIM);
  Text(cr, F_COND_BOLD, 9, 380, 552, ALIGN_LEFT, 1.5, "MIDI IN");
  Rgb(cr, C_LABEL);
  Text(cr, F_COND, 10, 380, 567, ALIGN_LEFT, 0.4, "C1 - B1 (36 - 47)   plays drums 01 - 12");
  Text(cr, F_COND, 10, 380, 581, ALIGN_LEFT, 0.4, "C2 - B3 (48 - 71)   selects octave and pattern in HOST SYNC");
  Rgb(cr, C_LABEL_DIM);
  Text(cr, F_BOLD, 10, 1101, 567, ALIGN_RIGHT, 3.0, "OMBRIX");

  /* Resize grip under the corner resizer. */
  for (int i = 0; i < 3; ++i)
  {
    const double o = 4 + i * 4;
    cairo_move_to(cr, kEditorWidth - 3 - o, kEditorHeight - 3);
    cairo_line_to(cr, kEditorWidth - 3, kEditorHeight - 3 - o);
    Rgba(cr, 0xffffff, 0.18);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
  }
}

/* ------------------------------------------------------------------------------------------------ */
/* Bitmap table                                                                                      */

enum
{
  B_BACKGROUND,
  B_LED,
  B_SEQ,
  B_FOLDER,
  B_SEL1,
  B_PREV = B_SEL1 + 12,
  B_NEXT,
  B_MODE1,
  B_OCT1 = B_MODE1 + 4,
  B_PTN1 = B_OCT1 + 2,
  B_SOLO = B_PTN1 + 12,
  B_MUTE,
  B_PLAY,
  B_SWING,
  B_KNOB,
  B_COUNT
};

static Bitmap gBitmaps[B_COUNT];

static void SetBitmap(int index, const char* file, int width, int frameHeight, int frames, FrameDrawer draw,
                      int variant)
{
  gBitmaps[index] = (Bitmap){file, width, frameHeight, frames, draw, variant, NULL};
}

static void BuildTable(void)
{
  static char selNames[12][24], ptnNames[12][24];
  SetBitmap(B_BACKGROUND, "Background.png", kEditorWidth, kEditorHeight, 1, DrawBackground, 0);
  SetBitmap(B_LED, "btnLed.png", 51, 11, 2, DrawLed, 0);
  SetBitmap(B_SEQ, "btnSeq.png", 52, 40, 2, DrawStep, 0);
  SetBitmap(B_FOLDER, "btnFolder.png", 21, 18, 2, DrawFolder, 0);
  for (int i = 0; i < 12; ++i)
  {
    snprintf(selNames[i], sizeof selNames[i], "btnSel%d.png", i + 1);
    SetBitmap(B_SEL1 + i, selNames[i], 52, 19, 2, DrawSelect, i);
    snprintf(ptnNames[i], sizeof ptnNames[i], "btnPtn%d.png", i + 1);
    SetBitmap(B_PTN1 + i, ptnNames[i], 52, 19, 2, DrawPattern, i);
  }
  SetBitmap(B_PREV, "btnPrevSample.png", 11, 10, 2, DrawPrev, 0);
  SetBitmap(B_NEXT, "btnNextSample.png", 11, 10, 2, DrawNext, 0);
  static const char* const modeFiles[4] = {"btnStop.png", "btnRun.png", "btnHSync.png", "btnMidi.png"};
  for (int i = 0; i < 4; ++i)
    SetBitmap(B_MODE1 + i, modeFiles[i], 52, 40, 2, DrawMode, i);
  SetBitmap(B_OCT1, "btnPtnOct2.png", 52, 19, 2, DrawOctave, 0);
  SetBitmap(B_OCT1 + 1, "btnPtnOct3.png", 52, 19, 2, DrawOctave, 1);
  SetBitmap(B_SOLO, "btnSolo.png", 26, 21, 2, DrawSolo, 0);
  SetBitmap(B_MUTE, "btnMute.png", 26, 21, 2, DrawMute, 0);
  SetBitmap(B_PLAY, "btnPlayPreview.png", 11, 11, 2, DrawPlay, 0);
  SetBitmap(B_SWING, "btnSwing.png", 45, 18, 2, DrawSwing, 0);
  SetBitmap(B_KNOB, "KrellbinderMetal.png", KNOB_SIZE, KNOB_SIZE, KNOB_FRAMES, DrawKnob, 0);
}

static cairo_surface_t* RenderStrip(const Bitmap* b)
{
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, b->width, b->frameHeight * b->frames);
  cairo_t* cr = cairo_create(s);
  for (int f = 0; f < b->frames; ++f)
  {
    cairo_save(cr);
    cairo_rectangle(cr, 0, f * b->frameHeight, b->width, b->frameHeight);
    cairo_clip(cr);
    cairo_translate(cr, 0, f * b->frameHeight);
    b->draw(cr, f, b->variant);
    cairo_restore(cr);
  }
  if (cairo_status(cr) != CAIRO_STATUS_SUCCESS)
  {
    fprintf(stderr, "artgen: drawing %s failed: %s\n", b->file, cairo_status_to_string(cairo_status(cr)));
    exit(1);
  }
  cairo_destroy(cr);
  cairo_surface_flush(s);
  return s;
}

/* ------------------------------------------------------------------------------------------------ */
/* PNG output                                                                                        */

/*
 * Writes straight (not premultiplied) 8-bit RGBA, or RGB when every pixel is opaque, at the highest
 * compression, with no time stamp, so the files stay small and identical from run to run.
 */
static int WritePng(cairo_surface_t* s, const char* path)
{
  const int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
  const int stride = cairo_image_surface_get_stride(s);
  const unsigned char* data = cairo_image_surface_get_data(s);
  int opaque = 1;
  for (int y = 0; y < h && opaque; ++y)
  {
    const uint32_t* row = (const uint32_t*)(data + (size_t)y * stride);
    for (int x = 0; x < w; ++x)
    {
      if ((row[x] >> 24) != 255)
      {
        opaque = 0;
        break;
      }
    }
  }
  const int channels = opaque ? 3 : 4;
  unsigned char* out = malloc((size_t)w * h * channels);
  png_bytep* rows = malloc(sizeof(png_bytep) * h);
  if (!out || !rows)
  {
    free(out);
    free(rows);
    return 0;
  }
  for (int y = 0; y < h; ++y)
  {
    const uint32_t* row = (const uint32_t*)(data + (size_t)y * stride);
    unsigned char* o = out + (size_t)y * w * channels;
    rows[y] = o;
    for (int x = 0; x < w; ++x)
    {
      const uint32_t p = row[x];
      const unsigned a = p >> 24;
      unsigned r = (p >> 16) & 255, g = (p >> 8) & 255, b = p & 255;
      if (a != 0 && a != 255)
      {
        r = (r * 255 + a / 2) / a;
        g = (g * 255 + a / 2) / a;
        b = (b * 255 + a / 2) / a;
      }
      o[0] = (unsigned char)(r > 255 ? 255 : r);
      o[1] = (unsigned char)(g > 255 ? 255 : g);
      o[2] = (unsigned char)(b > 255 ? 255 : b);
      if (channels == 4)
        o[3] = (unsigned char)a;
      o += channels;
    }
  }

  int ok = 0;
  FILE* f = fopen(path, "wb");
  png_structp png = f ? png_create_write_struct(PNG_LIBPNG_VER_STRING, NULL, NULL, NULL) : NULL;
  png_infop info = png ? png_create_info_struct(png) : NULL;
  if (info && !setjmp(png_jmpbuf(png)))
  {
    png_init_io(png, f);
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, (png_uint_32)w, (png_uint_32)h, 8,
                 channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, NULL);
    ok = 1;
  }
  if (png)
    png_destroy_write_struct(&png, info ? &info : NULL);
  if (f && fclose(f) != 0)
    ok = 0;
  if (!ok)
    fprintf(stderr, "artgen: cannot write %s\n", path);
  free(rows);
  free(out);
  return ok;
}

/* ------------------------------------------------------------------------------------------------ */
/* Preview: the whole editor composed from the bitmaps at their layout positions                    */

static void Blit(cairo_t* cr, int index, int frame, double x, double y)
{
  const Bitmap* b = &gBitmaps[index];
  cairo_save(cr);
  cairo_rectangle(cr, x, y, b->width, b->frameHeight);
  cairo_clip(cr);
  cairo_set_source_surface(cr, b->surface, x, y - frame * b->frameHeight);
  cairo_paint(cr);
  cairo_restore(cr);
}

static int KnobFrame(double v) { return (int)(v * (KNOB_FRAMES - 1) + 0.5); }

/* allOn: every button shows its lit frame, to judge the lit art in place. */
static cairo_surface_t* ComposePreview(int allOn)
{
  static const int kSteps[NUM_STEPS] = {1, 0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 0, 1, 0, 1, 0};
  static const double kVolumes[NUM_CHANNELS] = {0.9, 0.6, 0.8, 0.7, 0.75, 0.5, 0.65, 0.5, 0.55, 0.5, 0.6, 0.5};
  static const double kPans[NUM_CHANNELS] = {0.5, 0.35, 0.5, 0.6, 0.5, 0.3, 0.45, 0.7, 0.4, 0.2, 0.55, 0.8};
  static const double kPitches[NUM_CHANNELS] = {0.5, 0.5, 0.54, 0.5, 0.46, 0.42, 0.5, 0.58, 0.5, 0.5, 0.5, 0.5};
  static const double kLengths[NUM_CHANNELS] = {1, 0.4, 1, 0.8, 1, 1, 0.3, 1, 0.5, 1, 0.9, 1};
  const int displayedStep = 7, mode = 2, octave = 0, pattern = 4, drum = 0;

  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kEditorWidth, kEditorHeight);
  cairo_t* cr = cairo_create(s);
  Blit(cr, B_BACKGROUND, 0, 0, 0);
  Blit(cr, B_KNOB, KnobFrame(0.8), MASTER_KNOB_X, MASTER_VOLUME_Y);
  Blit(cr, B_KNOB, KnobFrame(0.25), MASTER_KNOB_X, MASTER_SWING_Y);
  for (int i = 0; i < NUM_STEPS; ++i)
  {
    Blit(cr, B_LED, allOn || i == displayedStep, StepX(i), 501);
    Blit(cr, B_SEQ, allOn || kSteps[i], StepX(i), 455);
  }
  for (int i = 0; i < 4; ++i)
    Blit(cr, B_MODE1 + i, allOn || i == mode, StepX(i), 543);
  for (int i = 0; i < 2; ++i)
    Blit(cr, B_OCT1 + i, allOn || i == octave, 926 + 59 * i, 273);
  for (int i = 0; i < 12; ++i)
    Blit(cr, B_PTN1 + i, allOn || i == pattern, 925 + 60 * (i % 3), 298 + 25 * (i / 3));
  for (int ch = 0; ch < NUM_CHANNELS; ++ch)
  {
    const int ox = COLUMN_PITCH * ch;
    Blit(cr, B_PLAY, allOn || ch == 3, 110 + ox, 113);
    Blit(cr, B_PREV, allOn, 124 + ox, 109);
    Blit(cr, B_NEXT, allOn || ch == 5, 124 + ox, 119);
    Blit(cr, B_FOLDER, allOn, 138 + ox, 110);
    Blit(cr, B_SOLO, allOn || ch == 2, 131 + ox, 132);
    Blit(cr, B_MUTE, allOn || ch == 9, 104 + ox, 132);
    Rgb(cr, 0xffffff);
    Text(cr, F_REGULAR, 14, 100 + ox + 27.5, 165, ALIGN_CENTER, 0, "Empty1");
    Blit(cr, B_KNOB, KnobFrame(allOn ? 1.0 : kPans[ch]), 115 + ox, KNOB_Y_PAN);
    Blit(cr, B_KNOB, KnobFrame(allOn ? 1.0 : kVolumes[ch]), 115 + ox, KNOB_Y_VOLUME);
    Blit(cr, B_KNOB, KnobFrame(allOn ? 0.0 : kPitches[ch]), 115 + ox, KNOB_Y_PITCH);
    Blit(cr, B_SWING, allOn || ch == 6 || ch == 8, 108 + ox, 308);
    Blit(cr, B_KNOB, KnobFrame(allOn ? 0.5 : kLengths[ch]), 115 + ox, KNOB_Y_LENGTH);
    Blit(cr, B_SEL1 + ch, allOn || ch == drum, 105 + ox, 373);
  }
  cairo_destroy(cr);
  return s;
}

static int WriteZoom(cairo_surface_t* preview, const char* path, int x, int y, int w, int h, int scale)
{
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w * scale, h * scale);
  cairo_t* cr = cairo_create(s);
  cairo_scale(cr, scale, scale);
  cairo_set_source_surface(cr, preview, -x, -y);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
  cairo_paint(cr);
  cairo_destroy(cr);
  const int ok = WritePng(s, path);
  cairo_surface_destroy(s);
  return ok;
}

/* ------------------------------------------------------------------------------------------------ */

static void Usage(void)
{
  fprintf(stderr, "usage: artgen --out DIR [--fonts DIR] [--preview FILE] [--preview-on FILE]\n"
                  "              [--zoom FILE X Y W H SCALE]\n");
}

int main(int argc, char** argv)
{
  const char* outDir = NULL;
  const char* fontDir = "/usr/share/fonts/truetype/roboto/unhinted/RobotoTTF";
  const char* preview = NULL;
  const char* previewOn = NULL;
  const char* zoom = NULL;
  int zoomArgs[5] = {0, 0, 0, 0, 1};
  for (int i = 1; i < argc; ++i)
  {
    if (strcmp(argv[i], "--out") == 0 && i + 1 < argc)
    {
      outDir = argv[++i];
    }
    else if (strcmp(argv[i], "--fonts") == 0 && i + 1 < argc)
    {
      fontDir = argv[++i];
    }
    else if (strcmp(argv[i], "--preview") == 0 && i + 1 < argc)
    {
      preview = argv[++i];
    }
    else if (strcmp(argv[i], "--preview-on") == 0 && i + 1 < argc)
    {
      previewOn = argv[++i];
    }
    else if (strcmp(argv[i], "--zoom") == 0 && i + 6 < argc)
    {
      zoom = argv[++i];
      for (int k = 0; k < 5; ++k)
        zoomArgs[k] = atoi(argv[++i]);
    }
    else
    {
      Usage();
      return 2;
    }
  }
  if (!outDir || (zoom && (zoomArgs[2] <= 0 || zoomArgs[3] <= 0 || zoomArgs[4] <= 0)))
  {
    Usage();
    return 2;
  }
  if (!LoadFonts(fontDir))
    return 1;
  BuildTable();
  int ok = 1;
  for (int i = 0; i < B_COUNT; ++i)
  {
    gBitmaps[i].surface = RenderStrip(&gBitmaps[i]);
    char path[4096];
    snprintf(path, sizeof path, "%s/%s", outDir, gBitmaps[i].file);
    ok = WritePng(gBitmaps[i].surface, path) && ok;
  }
  if (preview || zoom)
  {
    cairo_surface_t* p = ComposePreview(0);
    if (preview)
      ok = WritePng(p, preview) && ok;
    if (zoom)
      ok = WriteZoom(p, zoom, zoomArgs[0], zoomArgs[1], zoomArgs[2], zoomArgs[3], zoomArgs[4]) && ok;
    cairo_surface_destroy(p);
  }
  if (previewOn)
  {
    cairo_surface_t* p = ComposePreview(1);
    ok = WritePng(p, previewOn) && ok;
    cairo_surface_destroy(p);
  }
  for (int i = 0; i < B_COUNT; ++i)
    cairo_surface_destroy(gBitmaps[i].surface);
  FreeFonts();
  return ok ? 0 : 1;
}
