#pragma once
// Small value types of the framework: rectangles and points with the framework's field names
// (converting to and from the API's RECT/POINT), and TSet, the set of enumeration values
// (font styles, shift state, grid options...).
#include "platform/win/WinDef.h"

#include <cstdint>
#include <initializer_list>

struct TPoint {
    int X = 0;
    int Y = 0;
    TPoint() = default;
    TPoint(int x, int y) : X(x), Y(y) {}
    TPoint(const POINT& p) : X(p.x), Y(p.y) {}
    operator POINT() const { return POINT{X, Y}; }
    bool operator==(const TPoint& o) const { return X == o.X && Y == o.Y; }
    bool operator!=(const TPoint& o) const { return !(*this == o); }
};

struct TSize {
    int cx = 0;
    int cy = 0;
};

// Half-open: Left..Right-1, Top..Bottom-1.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    TRect() = default;
    TRect(int l, int t, int r, int b) : Left(l), Top(t), Right(r), Bottom(b) {}
    TRect(const RECT& r) : Left(r.left), Top(r.top), Right(r.right), Bottom(r.bottom) {}
    operator RECT() const { return RECT{Left, Top, Right, Bottom}; }
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    bool Contains(const TPoint& p) const { return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom; }
    bool operator==(const TRect& o) const
    {
        return Left == o.Left && Top == o.Top && Right == o.Right && Bottom == o.Bottom;
    }
    bool operator!=(const TRect& o) const { return !(*this == o); }
};

inline TRect Rect(int left, int top, int right, int bottom) { return TRect(left, top, right, bottom); }
inline TRect Bounds(int left, int top, int width, int height) { return TRect(left, top, left + width, top + height); }
inline TPoint Point(int x, int y) { return TPoint(x, y); }
// The smallest rectangle holding both (an empty one counts as nothing).
TRect UnionRect(const TRect& a, const TRect& b);
bool IntersectRect(TRect& dest, const TRect& a, const TRect& b);

// A set of enumeration values 0..63.
template <class E>
class TSet {
public:
    TSet() = default;
    TSet(std::initializer_list<E> values)
    {
        for (E v : values)
            bits_ |= Bit(v);
    }
    TSet& operator<<(E v)
    {
        bits_ |= Bit(v);
        return *this;
    }
    TSet& operator>>(E v)
    {
        bits_ &= ~Bit(v);
        return *this;
    }
    bool Contains(E v) const { return (bits_ & Bit(v)) != 0; }
    bool Empty() const { return bits_ == 0; }
    TSet operator+(const TSet& o) const { return FromBits(bits_ | o.bits_); }
    TSet operator-(const TSet& o) const { return FromBits(bits_ & ~o.bits_); }
    TSet operator*(const TSet& o) const { return FromBits(bits_ & o.bits_); }
    TSet& operator+=(const TSet& o)
    {
        bits_ |= o.bits_;
        return *this;
    }
    TSet& operator-=(const TSet& o)
    {
        bits_ &= ~o.bits_;
        return *this;
    }
    bool operator==(const TSet& o) const { return bits_ == o.bits_; }
    bool operator!=(const TSet& o) const { return bits_ != o.bits_; }
    uint64_t Bits() const { return bits_; }
    static TSet FromBits(uint64_t bits)
    {
        TSet s;
        s.bits_ = bits;
        return s;
    }

private:
    static uint64_t Bit(E v) { return uint64_t(1) << unsigned(v); }
    uint64_t bits_ = 0;
};
