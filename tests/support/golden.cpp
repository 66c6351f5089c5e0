#include "golden.h"

#include "fake_host.h"

#include <cstring>

namespace golden {
namespace {

// splitmix64: tiny, well mixed, integer-only.
uint64_t mix(uint64_t x) {
    x += 0x9e3779b97f4a7c15ull;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ull;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebull;
    return x ^ (x >> 31);
}

class Stream {
  public:
    explicit Stream(uint64_t seed) : state_(seed) {}
    uint32_t next() {
        state_ = mix(state_);
        return static_cast<uint32_t>(state_ >> 32);
    }
    uint32_t below(uint32_t bound) { return next() % bound; }

  private:
    uint64_t state_;
};

float from_bits(uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

uint32_t to_bits(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// A float with a random mantissa and sign and a binary exponent in
// [low, high] (unbiased), built from its bit pattern.
float ranged(Stream& s, int low, int high, bool signed_value) {
    const uint32_t exponent =
        static_cast<uint32_t>(127 + low) + s.below(static_cast<uint32_t>(high - low + 1));
    const uint32_t sign = signed_value ? (s.next() & 0x80000000u) : 0u;
    return from_bits(sign | (exponent << 23) | (s.next() & 0x007fffffu));
}

const uint32_t special_bits[] = {
    0x00000000u, 0x80000000u,              // +-0
    0x7f800000u, 0xff800000u,              // +-inf
    0x7fc00000u, 0xffc00001u, 0x7f800001u, // quiet and signalling NaNs
    0x00000001u, 0x807fffffu,              // smallest and largest denormals
    0x00800000u, 0x7f7fffffu,              // smallest normal, largest finite
    0x3f800000u, 0xbf800000u,              // +-1
    0x3f7fffffu, 0x3f800001u,              // just below and above 1
    0x3f000000u, 0xbf000000u,              // +-0.5
    0x40000000u, 0xc0000000u,              // +-2
};

float special(Stream& s) {
    const uint32_t count = sizeof special_bits / sizeof special_bits[0];
    return from_bits(special_bits[s.below(count)]);
}

int32_t clip_flag(Stream& s) {
    const int32_t flags[] = {1, 1, 1, 0, 2, -1};
    return flags[s.below(6)];
}

// Directions across and beyond the frame, a sane camera, varied parameters.
Input framed(Stream& s) {
    Input in{};
    in.dir = {ranged(s, -8, 1, true), ranged(s, -8, 1, true), -ranged(s, -2, 1, false)};
    in.camera.focal = ranged(s, -1, 1, false);
    in.camera.aperture = ranged(s, -1, 1, false);
    in.camera.aspect = ranged(s, -1, 1, false);
    in.params = {ranged(s, -6, 0, false), ranged(s, -1, 0, false), ranged(s, -1, 0, false),
                 ranged(s, -1, 0, false), clip_flag(s)};
    return in;
}

// Every field a raw bit pattern: NaNs, infinities, denormals and all.
Input raw(Stream& s) {
    Input in{};
    in.dir = {from_bits(s.next()), from_bits(s.next()), from_bits(s.next())};
    in.camera.focal = from_bits(s.next());
    in.camera.aperture = from_bits(s.next());
    in.camera.aspect = from_bits(s.next());
    in.params = {from_bits(s.next()), from_bits(s.next()), from_bits(s.next()), from_bits(s.next()),
                 static_cast<int32_t>(s.next())};
    return in;
}

// Every field drawn from the table of special values.
Input specials(Stream& s) {
    Input in{};
    in.dir = {special(s), special(s), special(s)};
    in.camera.focal = special(s);
    in.camera.aperture = special(s);
    in.camera.aspect = special(s);
    in.params = {special(s), special(s), special(s), special(s), clip_flag(s)};
    return in;
}

class Digest {
  public:
    void add(uint32_t word) {
        for (int shift = 0; shift < 32; shift += 8) {
            hash_ = (hash_ ^ ((word >> shift) & 0xffu)) * 0x100000001b3ull;
        }
    }
    void add(float value) { add(value != value ? 0x7fc00000u : to_bits(value)); }
    void add(const mi_vector& v) {
        add(v.x);
        add(v.y);
        add(v.z);
    }
    uint64_t value() const { return hash_; }

  private:
    uint64_t hash_ = 0xcbf29ce484222325ull; // FNV-1a 64
};

void digest_one(Digest& d, kelmora_shader_fn shader, const Input& in) {
    mi_state state{};
    state.camera = &in.camera;
    state.org = in.org;
    state.dir = in.dir;
    mi_color result = {-1.0f, -2.0f, -3.0f, -4.0f};
    fake_host::calls().clear();
    fake_host::script().trace_result = in.trace_result;

    const mi_boolean returned = shader(&result, &state, &in.params);

    d.add(static_cast<uint32_t>(returned));
    d.add(result.r);
    d.add(result.g);
    d.add(result.b);
    d.add(result.a);
    d.add(static_cast<uint32_t>(fake_host::calls().size()));
    for (const fake_host::Record& call : fake_host::calls()) {
        d.add(static_cast<uint32_t>(call.call));
        d.add(call.in_value);
    }
}

} // namespace

Input input(uint32_t index) {
    Stream s(index);
    const uint32_t kind = s.below(8);
    Input in = kind < 5 ? framed(s) : kind < 7 ? raw(s) : specials(s);
    in.org = {from_bits(s.next()), from_bits(s.next()), from_bits(s.next())};
    in.trace_result = static_cast<mi_boolean>(s.below(3));
    return in;
}

uint64_t digest(kelmora_shader_fn shader, uint32_t count) {
    fake_host::reset();
    fake_host::script().to_camera = fake_host::Script::ToCamera::copy_input;
    Digest d;
    for (uint32_t i = 0; i < count; ++i) {
        digest_one(d, shader, input(i));
    }
    fake_host::reset();
    return d.value();
}

} // namespace golden
