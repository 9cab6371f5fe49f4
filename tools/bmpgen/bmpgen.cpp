/*
 * bmpgen.cpp - draws the three pictures of SETUP.EXE (BACK, SETUP, STATUS)
 * and writes them as 8-bit BMP files that share one 236-entry colour table.
 *
 *   bmpgen DIR            write BACK.BMP, SETUP.BMP and STATUS.BMP into DIR
 *   bmpgen --compare DIR  exit 0 only when the files in DIR are exactly
 *                         what this program draws
 *
 * The output depends on nothing but this file: shapes are sampled 4 x 4 per
 * pixel with + - * / and floor only (no library sine, so no libm version
 * can change a pixel), and every colour is mapped to the nearest table
 * entry with integer arithmetic.
 */
#include <math.h>
#include <stdio.h>
#include <string.h>
#include <string>
#include <vector>

#define NCOLORS   236
#define TABLEOFF  (40 + NCOLORS * 4)      /* pixel data within the DIB */
#define SUPER     4                        /* samples per pixel and axis */

struct Rgb { double r, g, b; };

static Rgb MakeRgb(int r, int g, int b)
{
    Rgb c = { (double)r, (double)g, (double)b };
    return c;
}

static Rgb Mix(Rgb a, Rgb b, double t)
{
    Rgb c = { a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t };
    return c;
}

static double Clamp01(double t)
{
    return t < 0 ? 0 : (t > 1 ? 1 : t);
}

/* ---- The colour table: ramps from dark through a full tone to light. ---- */

struct Ramp { int n; int dark[3], mid[3], light[3]; };

static const Ramp aRamps[] = {
    { 40, {   0,   0,   0 }, { 128, 128, 128 }, { 255, 255, 255 } },  /* grey */
    { 48, {   4,  10,  36 }, {  40,  96, 200 }, { 236, 242, 250 } },  /* blue */
    { 28, {  60,  36,   0 }, { 240, 176,  32 }, { 255, 246, 214 } },  /* amber */
    { 28, {   0,  40,  12 }, {  48, 168,  72 }, { 226, 248, 228 } },  /* green */
    { 24, {  50,   0,   4 }, { 208,  48,  40 }, { 255, 226, 220 } },  /* red */
    { 24, {  44,  22,   8 }, { 176, 104,  48 }, { 250, 230, 206 } },  /* brown */
    { 24, {   0,  36,  44 }, {  32, 160, 176 }, { 220, 246, 248 } },  /* teal */
    { 20, {  30,   8,  50 }, { 128,  72, 184 }, { 238, 226, 250 } },  /* violet */
};

static unsigned char aTable[NCOLORS][3];    /* red, green, blue */

static int Lerp255(int a, int b, int num, int den)
{
    return a + ((b - a) * num * 2 + den) / (den * 2);     /* rounded */
}

static void BuildTable(void)
{
    int k = 0;
    for (const Ramp &ramp : aRamps) {
        int half = (ramp.n - 1) / 2;
        for (int i = 0; i < ramp.n; i++)
            for (int c = 0; c < 3; c++)
                aTable[k + i][c] = (unsigned char)(i <= half
                    ? Lerp255(ramp.dark[c], ramp.mid[c], i, half)
                    : Lerp255(ramp.mid[c], ramp.light[c], i - half, ramp.n - 1 - half));
        k += ramp.n;
    }
}

static int RampBase(int iRamp)
{
    int k = 0;
    for (int i = 0; i < iRamp; i++)
        k += aRamps[i].n;
    return k;
}

static Rgb TableRgb(int i)
{
    return MakeRgb(aTable[i][0], aTable[i][1], aTable[i][2]);
}

/* Entry i of ramp iRamp, i counted from the dark end. */
static Rgb Tone(int iRamp, int i)
{
    return TableRgb(RampBase(iRamp) + i);
}

enum { GREY, BLUE, AMBER, GREEN, RED, BROWN, TEAL, VIOLET };

static int Nearest(Rgb c)
{
    int r = (int)floor(c.r + 0.5), g = (int)floor(c.g + 0.5), b = (int)floor(c.b + 0.5);
    int best = 0;
    long bestDist = -1;
    for (int i = 0; i < NCOLORS; i++) {
        long dr = r - aTable[i][0], dg = g - aTable[i][1], db = b - aTable[i][2];
        long d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
        if (bestDist < 0 || d < bestDist) {
            bestDist = d;
            best = i;
        }
    }
    return best;
}

/* ---- Shapes, painted in order; the last one covering a sample wins. ---- */

enum { SH_RECT, SH_ELLIPSE, SH_RING, SH_POLY, SH_LINE };

struct Shape {
    int kind;
    double a[8];            /* rect x0 y0 x1 y1 radius; ellipse cx cy rx ry;
                               ring cx cy r0 r1; line x0 y0 x1 y1 width */
    std::vector<double> pts;/* polygon x, y pairs */
    Rgb c0, c1;             /* colour, or the two ends of a gradient */
    double g[4];            /* gradient from (g0, g1) to (g2, g3) */
    bool fGradient;
    double alpha;           /* 1 opaque; below 1 blends over what is there */
    bool fSoft;             /* ellipse whose alpha fades to its rim */
};

struct Picture {
    int cx, cy;
    Rgb bg;
    std::vector<Shape> shapes;
};

static Shape NewShape(int kind, Rgb c)
{
    Shape s;
    s.kind = kind;
    memset(s.a, 0, sizeof(s.a));
    memset(s.g, 0, sizeof(s.g));
    s.c0 = s.c1 = c;
    s.fGradient = false;
    s.alpha = 1;
    s.fSoft = false;
    return s;
}

static Shape &Add(Picture &pic, const Shape &s)
{
    pic.shapes.push_back(s);
    return pic.shapes.back();
}

static Shape &Rect(Picture &pic, double x0, double y0, double x1, double y1, double r, Rgb c)
{
    Shape s = NewShape(SH_RECT, c);
    s.a[0] = x0; s.a[1] = y0; s.a[2] = x1; s.a[3] = y1; s.a[4] = r;
    return Add(pic, s);
}

static Shape &Ellipse(Picture &pic, double cx, double cy, double rx, double ry, Rgb c)
{
    Shape s = NewShape(SH_ELLIPSE, c);
    s.a[0] = cx; s.a[1] = cy; s.a[2] = rx; s.a[3] = ry;
    return Add(pic, s);
}

static Shape &Ring(Picture &pic, double cx, double cy, double r0, double r1, Rgb c)
{
    Shape s = NewShape(SH_RING, c);
    s.a[0] = cx; s.a[1] = cy; s.a[2] = r0; s.a[3] = r1;
    return Add(pic, s);
}

static Shape &Poly(Picture &pic, std::vector<double> pts, Rgb c)
{
    Shape s = NewShape(SH_POLY, c);
    s.pts = pts;
    return Add(pic, s);
}

static Shape &Line(Picture &pic, double x0, double y0, double x1, double y1, double w, Rgb c)
{
    Shape s = NewShape(SH_LINE, c);
    s.a[0] = x0; s.a[1] = y0; s.a[2] = x1; s.a[3] = y1; s.a[4] = w;
    return Add(pic, s);
}

static void Gradient(Shape &s, double x0, double y0, double x1, double y1, Rgb c1)
{
    s.fGradient = true;
    s.g[0] = x0; s.g[1] = y0; s.g[2] = x1; s.g[3] = y1;
    s.c1 = c1;
}

/* Coverage of sample (x, y): 0 outside, else the alpha to blend with. */
static double Cover(const Shape &s, double x, double y)
{
    switch (s.kind) {
    case SH_RECT: {
        double r = s.a[4];
        if (x < s.a[0] || x > s.a[2] || y < s.a[1] || y > s.a[3])
            return 0;
        double dx = x < s.a[0] + r ? s.a[0] + r - x : (x > s.a[2] - r ? x - (s.a[2] - r) : 0);
        double dy = y < s.a[1] + r ? s.a[1] + r - y : (y > s.a[3] - r ? y - (s.a[3] - r) : 0);
        return dx * dx + dy * dy <= r * r ? s.alpha : 0;
    }
    case SH_ELLIPSE: {
        double u = (x - s.a[0]) / s.a[2], v = (y - s.a[1]) / s.a[3];
        double d = u * u + v * v;
        if (d > 1)
            return 0;
        return s.fSoft ? s.alpha * (1 - d) * (1 - d) : s.alpha;
    }
    case SH_RING: {
        double dx = x - s.a[0], dy = y - s.a[1], d = dx * dx + dy * dy;
        return d >= s.a[2] * s.a[2] && d <= s.a[3] * s.a[3] ? s.alpha : 0;
    }
    case SH_POLY: {
        bool fIn = false;
        size_t n = s.pts.size() / 2;
        for (size_t i = 0, j = n - 1; i < n; j = i++) {
            double xi = s.pts[2 * i], yi = s.pts[2 * i + 1], xj = s.pts[2 * j], yj = s.pts[2 * j + 1];
            if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi)
                fIn = !fIn;
        }
        return fIn ? s.alpha : 0;
    }
    case SH_LINE: {
        double vx = s.a[2] - s.a[0], vy = s.a[3] - s.a[1];
        double t = Clamp01(((x - s.a[0]) * vx + (y - s.a[1]) * vy) / (vx * vx + vy * vy));
        double dx = x - (s.a[0] + t * vx), dy = y - (s.a[1] + t * vy);
        double h = s.a[4] / 2;
        return dx * dx + dy * dy <= h * h ? s.alpha : 0;
    }
    }
    return 0;
}

static Rgb Fill(const Shape &s, double x, double y)
{
    if (!s.fGradient)
        return s.c0;
    double vx = s.g[2] - s.g[0], vy = s.g[3] - s.g[1];
    double t = ((x - s.g[0]) * vx + (y - s.g[1]) * vy) / (vx * vx + vy * vy);
    return Mix(s.c0, s.c1, Clamp01(t));
}

/* Rows top-down, one table index per pixel. */
static std::vector<unsigned char> Render(const Picture &pic)
{
    std::vector<unsigned char> px((size_t)pic.cx * pic.cy);
    for (int y = 0; y < pic.cy; y++)
        for (int x = 0; x < pic.cx; x++) {
            Rgb sum = MakeRgb(0, 0, 0);
            for (int j = 0; j < SUPER; j++)
                for (int i = 0; i < SUPER; i++) {
                    double sx = x + (i + 0.5) / SUPER, sy = y + (j + 0.5) / SUPER;
                    Rgb c = pic.bg;
                    for (const Shape &s : pic.shapes) {
                        double a = Cover(s, sx, sy);
                        if (a > 0)
                            c = Mix(c, Fill(s, sx, sy), a);
                    }
                    sum.r += c.r; sum.g += c.g; sum.b += c.b;
                }
            double k = 1.0 / (SUPER * SUPER);
            Rgb mean = { sum.r * k, sum.g * k, sum.b * k };
            px[(size_t)y * pic.cx + x] = (unsigned char)Nearest(mean);
        }
    return px;
}

/* ---- BACK: a soft woven pattern that repeats edge to edge. ---- */

static double Sine(double x)
{
    const double pi = 3.14159265358979323846;
    x -= 2 * pi * floor(x / (2 * pi) + 0.5);            /* now -pi .. pi */
    double x2 = x * x, term = x, sum = x;
    for (int n = 1; n <= 10; n++) {
        term *= -x2 / ((2 * n) * (2 * n + 1));
        sum += term;
    }
    return sum;
}

#define BACK_CX 190
#define BACK_CY 130

static std::vector<unsigned char> DrawBack(void)
{
    const double pi = 3.14159265358979323846;
    /* Only whole waves across the tile, so column 0 follows the last column
     * and row 0 the last row; the 2 x 2 ordered dither divides both sides. */
    static const double aDither[2][2] = { { 0.125, 0.625 }, { 0.875, 0.375 } };
    std::vector<unsigned char> px(BACK_CX * BACK_CY);
    int base = RampBase(BLUE);
    for (int y = 0; y < BACK_CY; y++)
        for (int x = 0; x < BACK_CX; x++) {
            double u = 2 * pi * x / BACK_CX, v = 2 * pi * y / BACK_CY;
            double f = 0.30 * Sine(2 * u + 3 * v) + 0.30 * Sine(2 * u - 3 * v)
                     + 0.12 * Sine(6 * u + v) + 0.08 * Sine(4 * u - 7 * v);
            /* f lies in -0.8 .. 0.8: levels 9 .. 21 of the blue ramp. */
            double level = 15 + f * 7 + aDither[y & 1][x & 1] - 0.5;
            int i = (int)floor(level + 0.5);
            i = i < 4 ? 4 : (i > 24 ? 24 : i);
            px[y * BACK_CX + x] = (unsigned char)(base + i);
        }
    return px;
}

/* ---- SETUP: a software box, a disk and a computer. ---- */

static Rgb Paper(void)
{
    return Tone(BLUE, aRamps[BLUE].n - 1);
}

static void DrawSheet(Picture &pic, double x, double y, double w, double h)
{
    Rect(pic, x + 3, y + 3, x + w + 3, y + h + 3, 2, Tone(BLUE, 38)).alpha = 0.6;
    Rect(pic, x, y, x + w, y + h, 2, Tone(GREY, 39));
    for (int i = 0; i < 5; i++)
        Line(pic, x + 6, y + 10 + i * (h - 16) / 4, x + w - (i == 4 ? 16 : 6), y + 10 + i * (h - 16) / 4,
             2.2, Tone(GREY, 27));
    Line(pic, x, y, x + w, y, 1.2, Tone(GREY, 30));
    Line(pic, x + w, y, x + w, y + h, 1.2, Tone(GREY, 28));
    Line(pic, x, y + h, x + w, y + h, 1.2, Tone(GREY, 28));
    Line(pic, x, y, x, y + h, 1.2, Tone(GREY, 30));
}

static std::vector<unsigned char> DrawSetup(void)
{
    Picture pic;
    pic.cx = 400;
    pic.cy = 300;
    pic.bg = Paper();

    /* Ground shadow. */
    Shape &shadow = Ellipse(pic, 200, 246, 170, 20, Tone(BLUE, 32));
    shadow.fSoft = true;
    shadow.alpha = 0.7;

    /* The computer, right. */
    Rect(pic, 262, 214, 352, 232, 6, Tone(GREY, 30));                     /* base */
    Gradient(Rect(pic, 262, 214, 352, 232, 6, Tone(GREY, 33)), 0, 214, 0, 232, Tone(GREY, 24));
    Rect(pic, 294, 192, 320, 216, 0, Tone(GREY, 27));                     /* neck */
    Gradient(Rect(pic, 224, 62, 390, 196, 10, Tone(GREY, 36)), 224, 62, 390, 196, Tone(GREY, 26));
    Gradient(Rect(pic, 236, 74, 378, 180, 4, Tone(BLUE, 12)), 236, 74, 378, 180, Tone(BLUE, 26));
    Line(pic, 244, 80, 300, 80, 1.5, Tone(BLUE, 30)).alpha = 0.6;         /* glass */
    Rect(pic, 256, 92, 358, 164, 2, Tone(GREY, 38));                      /* window */
    Gradient(Rect(pic, 256, 92, 358, 104, 2, Tone(BLUE, 18)), 256, 0, 358, 0, Tone(BLUE, 30));
    Rect(pic, 266, 138, 348, 150, 1, Tone(GREY, 30));                     /* progress */
    Rect(pic, 268, 140, 346, 148, 0, Tone(GREY, 39));
    Gradient(Rect(pic, 268, 140, 318, 148, 0, Tone(GREEN, 18)), 0, 140, 0, 148, Tone(GREEN, 10));
    for (int i = 0; i < 3; i++)
        Line(pic, 268, 114 + i * 7, i == 2 ? 310 : 340, 114 + i * 7, 2, Tone(GREY, 27));
    Ellipse(pic, 370, 188, 3, 3, Tone(GREEN, 16));                        /* power light */

    /* The disk, leaning against the computer. */
    Poly(pic, { 206, 166, 262, 160, 270, 240, 214, 246 }, Tone(GREY, 6));
    Poly(pic, { 222, 164, 246, 162, 248, 186, 224, 188 }, Tone(GREY, 33));  /* shutter */
    Poly(pic, { 236, 166, 242, 166, 243, 182, 237, 182 }, Tone(GREY, 10));
    Poly(pic, { 220, 200, 258, 196, 262, 238, 224, 242 }, Tone(GREY, 39));  /* label */
    Line(pic, 226, 212, 254, 209, 2, Tone(RED, 14));
    Line(pic, 227, 222, 255, 219, 2, Tone(GREY, 28));
    Line(pic, 228, 231, 250, 229, 2, Tone(GREY, 28));

    /* The box, left, in front. */
    Gradient(Poly(pic, { 40, 104, 150, 104, 150, 244, 40, 244 }, Tone(BLUE, 22)),
             40, 104, 150, 244, Tone(BLUE, 12));                              /* front */
    Gradient(Poly(pic, { 150, 104, 196, 80, 196, 216, 150, 244 }, Tone(BLUE, 12)),
             150, 0, 196, 0, Tone(BLUE, 6));                                  /* side */
    Gradient(Poly(pic, { 40, 104, 86, 80, 196, 80, 150, 104 }, Tone(BLUE, 34)),
             0, 80, 0, 104, Tone(BLUE, 28));                                  /* top */
    Poly(pic, { 40, 142, 150, 142, 150, 160, 40, 160 }, Tone(AMBER, 14));     /* band */
    Poly(pic, { 150, 142, 196, 118, 196, 136, 150, 160 }, Tone(AMBER, 8));
    Ellipse(pic, 95, 202, 28, 28, Tone(GREY, 34));                            /* disc */
    Gradient(Ring(pic, 95, 202, 10, 27, Tone(TEAL, 34)), 70, 180, 120, 226, Tone(VIOLET, 16));
    Ring(pic, 95, 202, 10, 27, Tone(GREY, 39)).alpha = 0.25;
    Ellipse(pic, 95, 202, 5, 5, Tone(BLUE, 20));
    Line(pic, 52, 120, 120, 120, 3, Tone(BLUE, 40));                          /* title */
    Line(pic, 52, 130, 100, 130, 3, Tone(BLUE, 34));
    return Render(pic);
}

/* ---- STATUS: sheets flying from one folder into another. ---- */

static void DrawFolder(Picture &pic, double x, double y, bool fOpen)
{
    Rect(pic, x + 4, y + 6, x + 124, y + 96, 6, Tone(BLUE, 36)).alpha = 0.7;   /* shadow */
    Gradient(Rect(pic, x, y - 12, x + 46, y + 10, 5, Tone(AMBER, 12)), 0, y - 12, 0, y, Tone(AMBER, 9));
    Gradient(Rect(pic, x, y, x + 120, y + 90, 6, Tone(AMBER, 11)), 0, y, 0, y + 90, Tone(AMBER, 8));
    if (fOpen)
        DrawSheet(pic, x + 18, y - 18, 70, 56);
    std::vector<double> front = { x - 6, y + 22, x + 126, y + 22, x + 120, y + 90, x, y + 90 };
    Gradient(Poly(pic, front, Tone(AMBER, 16)), 0, y + 22, 0, y + 90, Tone(AMBER, 13));
    Line(pic, x - 6, y + 22, x + 126, y + 22, 1.5, Tone(AMBER, 20));
}

static std::vector<unsigned char> DrawStatus(void)
{
    Picture pic;
    pic.cx = 400;
    pic.cy = 200;
    pic.bg = Paper();

    DrawFolder(pic, 28, 84, true);
    DrawFolder(pic, 252, 84, false);

    /* The path of the sheets: a dotted arc ending in an arrow head. */
    const double x0 = 96, x1 = 318, yBase = 80, rise = 46;
    for (int i = 1; i <= 13; i++) {
        double t = i / 15.0;
        Ellipse(pic, x0 + t * (x1 - x0), yBase - 4 * rise * t * (1 - t), 2.2, 2.2, Tone(BLUE, 28));
    }
    double dx = x1 - x0, dy = 4 * rise, len = sqrt(dx * dx + dy * dy);
    double ux = dx / len, uy = dy / len;                /* the arc's direction at its end */
    double bx = x1 - 16 * ux, by = yBase - 16 * uy;
    Poly(pic, { x1 + 2 * ux, yBase + 2 * uy, bx - 9 * uy, by + 9 * ux, bx + 9 * uy, by - 9 * ux },
         Tone(GREEN, 15));

    /* Three sheets in flight, on the arc. */
    for (int i = 1; i <= 3; i++) {
        double t = i / 4.0;
        DrawSheet(pic, x0 + t * (x1 - x0) - 16, yBase - 4 * rise * t * (1 - t) - 22, 32, 40);
    }
    return Render(pic);
}

/* ---- Output. ---- */

static void Put16(std::string &s, unsigned v)
{
    s += (char)(v & 0xFF);
    s += (char)((v >> 8) & 0xFF);
}

static void Put32(std::string &s, unsigned long v)
{
    Put16(s, (unsigned)(v & 0xFFFF));
    Put16(s, (unsigned)((v >> 16) & 0xFFFF));
}

/* A BMP file: file header, 40-byte header, the table, rows bottom-up. */
static std::string MakeBmp(int cx, int cy, const std::vector<unsigned char> &px)
{
    int stride = (cx + 3) & ~3;
    std::string s;
    s += "BM";
    Put32(s, 14 + TABLEOFF + (unsigned long)stride * cy);
    Put32(s, 0);
    Put32(s, 14 + TABLEOFF);
    Put32(s, 40);
    Put32(s, cx);
    Put32(s, cy);
    Put16(s, 1);
    Put16(s, 8);
    Put32(s, 0);            /* uncompressed */
    Put32(s, 0);            /* image size, not needed when uncompressed */
    Put32(s, 0);
    Put32(s, 0);
    Put32(s, NCOLORS);
    Put32(s, NCOLORS);
    for (int i = 0; i < NCOLORS; i++) {
        s += (char)aTable[i][2];
        s += (char)aTable[i][1];
        s += (char)aTable[i][0];
        s += '\0';
    }
    for (int y = cy - 1; y >= 0; y--) {
        s.append((const char *)&px[(size_t)y * cx], cx);
        s.append(stride - cx, '\0');
    }
    return s;
}

struct Output { const char *lpszName; std::string bytes; };

static std::vector<Output> DrawAll(void)
{
    BuildTable();
    std::vector<Output> out;
    out.push_back({ "BACK.BMP", MakeBmp(BACK_CX, BACK_CY, DrawBack()) });
    out.push_back({ "SETUP.BMP", MakeBmp(400, 300, DrawSetup()) });
    out.push_back({ "STATUS.BMP", MakeBmp(400, 200, DrawStatus()) });
    return out;
}

static bool ReadAll(const std::string &path, std::string &bytes)
{
    FILE *fp = fopen(path.c_str(), "rb");
    if (!fp)
        return false;
    char buf[65536];
    size_t cb;
    bytes.clear();
    while ((cb = fread(buf, 1, sizeof(buf), fp)) > 0)
        bytes.append(buf, cb);
    fclose(fp);
    return true;
}

int main(int argc, char **argv)
{
    bool fCompare = argc == 3 && strcmp(argv[1], "--compare") == 0;
    if (argc != 2 && !fCompare) {
        fprintf(stderr, "usage: bmpgen DIR | bmpgen --compare DIR\n");
        return 2;
    }
    std::string dir = argv[argc - 1];
    int nBad = 0;
    for (const Output &o : DrawAll()) {
        std::string path = dir + "/" + o.lpszName;
        if (fCompare) {
            std::string old;
            if (!ReadAll(path, old) || old != o.bytes) {
                fprintf(stderr, "bmpgen: %s differs from what bmpgen draws\n", path.c_str());
                nBad++;
            }
            continue;
        }
        FILE *fp = fopen(path.c_str(), "wb");
        if (!fp || fwrite(o.bytes.data(), 1, o.bytes.size(), fp) != o.bytes.size()) {
            fprintf(stderr, "bmpgen: cannot write %s\n", path.c_str());
            nBad++;
        }
        if (fp && fclose(fp) != 0)
            nBad++;
    }
    return nBad ? 1 : 0;
}
