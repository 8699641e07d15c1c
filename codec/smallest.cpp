// smallest.cpp - encode_smallest(), the compressor that writes the shortest
// stream there is for a whole input held in memory, as declared in codec.h.
//
// The sections are planned from the input's end towards its start, then
// written from the start. For every position p and each kind of section,
// the plan knows the fewest stream bytes that can give input[p..n) when the
// next section is of that kind, and keeps, in the caller's scratch, how
// many bytes that next section should take (0: close it empty, and let a
// section of the other kind take the bytes):
//   literal next at p   a literal section of L bytes (1..255) costs 1 + L
//                       and leaves a run section next at p + L; or it
//                       closes empty for 1 byte, and a run goes next at p;
//   run next at p       a run of R repeats (1..255) costs 1 and leaves a
//                       literal section next at p + R, allowed while every
//                       byte of input[p..p+R) equals the byte before p (0
//                       before the input, as in the decoder); or it closes
//                       empty for 1 byte, and a literal goes next at p.
// The best L is the cheapest end in the next 255 positions, and the best R
// likewise over the repeats ahead; each kind keeps the few ends that can
// still win as the window slides (see `best_ends`). Stretches of fresh
// bytes (each unlike the one before) and long repeats soon reach a steady
// pattern that the plan then fills in whole (`plan_fresh_stretch`,
// `plan_repeat`), so that most bytes cost a word compare and a store or two
// of plan bytes. Where no run is possible the run plan is not kept at all:
// the writer sees that from the input. The writer reads the plan only
// where a section begins, asking for the memory well ahead, and copies a
// short literal section as one fixed block.
//
// Costs are size_t: the scratch alone takes two bytes per input byte, so n
// is below a third of size_t's range, and no cost or position plus cost
// here exceeds n + 2 n / 255 + 3.
#include "internal.h"

using namespace codec_internal;

namespace {

// The byte a run at p repeats: the one before it, or the decoder's 0
// before the first.
uint8_t byte_before(const uint8_t *src, size_t p) { return p > 0 ? src[p - 1] : 0; }

// Where it is not, the run section at p can only close empty.
bool run_possible_at(const uint8_t *src, size_t p) { return src[p] == byte_before(src, p); }

// The plan is filled in blocks of 16 bytes from the top of a stretch
// down, the last block reaching below the stretch where it will: those
// places are planned later, and so written again. A fixed block is a
// vector store or two, and only the end of the stretch costs a branch.
constexpr size_t block = 16;

// Fills to[k] with end - k (mod 256) for every k of [low, p): the lengths of
// sections that all end at `end`. With `zeros`, fills zeros[k] with 0 for
// the same k, in the same blocks.
void count_down(uint8_t *to, size_t low, size_t p, size_t end, uint8_t *zeros = nullptr) {
    for (; p > low && p >= block; p -= block) {
        uint8_t lengths[block];
        for (size_t i = 0; i < block; ++i)
            lengths[i] = static_cast<uint8_t>(end - (p - block) - i);
        memcpy(to + p - block, lengths, block);
        if (zeros)
            memset(zeros + p - block, 0, block);
    }
    for (; p > low; --p) {
        to[p - 1] = static_cast<uint8_t>(end - (p - 1));
        if (zeros)
            zeros[p - 1] = 0;
    }
}

// The ends worth keeping for the next section of one kind, while the plan
// moves towards the start: the window of ends is (p, p + 255], and an end
// with a cost no lower than a nearer end's can never win again, since the
// nearer end stays in the window longer. So the kept costs rise from the
// farthest end, the cheapest, to the nearest. They never span more than 2
// (see the proof before encode_smallest), so at most 3 are kept: a ring of
// 4 places, indexed modulo 4 by two counters that may wrap.
struct best_ends {
    size_t end[4];
    size_t cost[4];
    unsigned first; // the farthest kept end
    unsigned past;  // one past the nearest

    size_t cheapest_end() const { return end[first % 4]; }
    size_t cheapest_cost() const { return cost[first % 4]; }
    void clear() { first = past; }

    // The lowest position, not below q, from which a section reaches the
    // cheapest end.
    size_t lowest_reaching_cheapest(size_t q) const {
        const size_t e = cheapest_end();
        return e - q > max_count ? e - max_count : q;
    }

    // Forgets the farthest end once the section from p can no longer reach
    // it. Ends enter one position at a time, so only one can leave.
    void forget_past(size_t p) {
        if (first != past && end[first % 4] - p > max_count)
            ++first;
    }

    // Keeps the end `at`, of cost c, as the nearest, and drops the kept
    // ends that cost no less. They are counted rather than looped over:
    // how many go is as good as random, and a branch on it would often be
    // mispredicted.
    void add_nearest(size_t at, size_t c) {
        const unsigned kept = past - first;
        unsigned worse = 0;
        for (unsigned i = 0; i < 3; ++i)
            worse += (i < kept) & (cost[(past - 1 - i) % 4] >= c);
        past -= worse;
        end[past % 4] = at;
        cost[past % 4] = c;
        ++past;
    }
};

// The plan, built from the input's end. f_lit and g_run are the fewest
// bytes for input[p..n) with a literal, respectively a run, next, where p
// is the position planned last: the values the sections of position p - 1
// lead to.
struct planner {
    const uint8_t *src;
    uint8_t *literal_plan; // per position: the literal section's length
    uint8_t *run_plan;     // per position where a run is possible: its repeats
    // Literal ends e, each with e + the cost of a run next at e: a literal
    // section from p to e costs that sum + 1 - p, so one sum serves every p.
    best_ends literal_ends;
    // Run ends e, each with the cost of a literal next at e.
    best_ends run_ends;
    size_t f_lit;
    size_t g_run;

    void plan_position(size_t p);
    size_t plan_fresh_stretch(size_t p);
    size_t plan_repeat(size_t p);
    size_t lowest_fresh_byte(size_t from) const;
    size_t lowest_repeat(size_t from, uint8_t value) const;
};

// Plans position p from the plan of p + 1 on: the general rule.
void planner::plan_position(size_t p) {
    literal_ends.forget_past(p);
    literal_ends.add_nearest(p + 1, p + 1 + g_run);
    const size_t literal = literal_ends.cheapest_cost() - p + 1;
    const size_t literal_len = literal_ends.cheapest_end() - p;
    if (!run_possible_at(src, p)) {
        run_ends.clear();
        f_lit = literal;
        g_run = literal + 1;
        literal_plan[p] = static_cast<uint8_t>(literal_len);
        return;
    }
    run_ends.forget_past(p);
    run_ends.add_nearest(p + 1, f_lit);
    const size_t run = run_ends.cheapest_cost() + 1;
    // On a tie the section with bytes wins, so that the plan never closes
    // both kinds empty at one position.
    const bool literal_wins = literal <= run + 1;
    const bool run_wins = run <= literal + 1;
    literal_plan[p] = static_cast<uint8_t>(literal_wins ? literal_len : 0);
    run_plan[p] = static_cast<uint8_t>(run_wins ? run_ends.cheapest_end() - p : 0);
    f_lit = literal_wins ? literal : run + 1;
    g_run = run_wins ? run : literal + 1;
}

// The lowest q <= from such that no run is possible anywhere in [q, from).
size_t planner::lowest_fresh_byte(size_t from) const {
    size_t q = from;
    // A word of bytes against the bytes one before them: none equal.
    while (q > word_bytes &&
           !has_zero_byte(load_word(src + q - word_bytes) ^ load_word(src + q - word_bytes - 1)))
        q -= word_bytes;
    while (q > 0 && !run_possible_at(src, q - 1))
        --q;
    return q;
}

// The lowest q <= from such that the byte before every position of
// [q, from) is `value`.
size_t planner::lowest_repeat(size_t from, uint8_t value) const {
    size_t q = from;
    const word repeated = value * ones;
    while (q > word_bytes && load_word(src + q - word_bytes - 1) == repeated)
        q -= word_bytes;
    while (q > 0 && byte_before(src, q - 1) == value)
        --q;
    return q;
}

// Plans the fresh bytes below p, which was planned last and is fresh too.
// There no run is possible, and the cheapest literal end stays the same
// while it is in reach: every position gives a literal section up to it,
// and the nearest end each position adds costs 2 more than it, as
// plan_position() would find. Where the cheapest end goes out of reach,
// plan_position() takes one step. Returns the lowest position planned.
size_t planner::plan_fresh_stretch(size_t p) {
    const size_t q = lowest_fresh_byte(p);
    while (p > q) {
        const size_t end = literal_ends.cheapest_end();
        const size_t cheapest = literal_ends.cheapest_cost();
        const size_t low = literal_ends.lowest_reaching_cheapest(q);
        if (low == p) {
            plan_position(--p);
            continue;
        }
        count_down(literal_plan, low, p, end);
        literal_ends.add_nearest(low + 1, cheapest + 2);
        f_lit = cheapest - low + 1;
        g_run = f_lit + 1;
        p = low;
    }
    return q;
}

// Plans the rest of a repeat below p, which was planned last, a run being
// possible there. Once the cheapest run end costs m, a run next at p costs
// m + 1 and a literal next costs m + 2 (an empty literal section, then the
// run), the plan is steady while that end is in reach: every position
// gives the same run, and a literal section closed empty, since a literal
// from there costs at least m + 3. Elsewhere plan_position() takes one step.
// Returns the lowest position planned.
size_t planner::plan_repeat(size_t p) {
    const size_t q = lowest_repeat(p, src[p]);
    while (p > q) {
        const size_t end = run_ends.cheapest_end();
        const size_t m = run_ends.cheapest_cost();
        const size_t low = run_ends.lowest_reaching_cheapest(q);
        if (low == p || g_run != m + 1 || f_lit != m + 2) {
            plan_position(--p);
            continue;
        }
        count_down(run_plan, low, p, end, literal_plan);
        literal_ends.clear();
        literal_ends.add_nearest(low + 1, low + 2 + m);
        run_ends.add_nearest(low + 1, m + 2);
        p = low;
    }
    return q;
}

// Asks the core to bring in the memory at p before it is read: where the
// compiler offers no way to ask, nothing.
void fetch_ahead(const uint8_t *p) {
#if defined(__GNUC__)
    __builtin_prefetch(p);
#else
    (void)p;
#endif
}

// The writer reads the plan and the input where sections begin, often a
// few cache lines apart, and a large input's plan has long left the caches
// by then: reads that each wait for memory took most of the writer's time,
// and the cores' own fetching does not follow such gaps. So every line of
// the three, up to this many bytes ahead, is asked for in turn.
constexpr size_t fetch_distance = 4096;
constexpr size_t cache_line = 64;

// Writes the planned sections from the start, `length` bytes in all; the
// plan ends every section at or before the input's end, and at the end the
// stream ends.
void write_stream(const uint8_t *src, size_t n, const uint8_t *literal_plan,
                  const uint8_t *run_plan, uint8_t *dst, size_t length) {
    uint8_t *const dst_end = dst + length;
    size_t pos = 0;
    size_t fetched = 0; // every line below it has been asked for
    for (;;) {
        const size_t ahead = n - pos > fetch_distance ? pos + fetch_distance : n;
        for (; fetched < ahead; fetched += cache_line) {
            fetch_ahead(literal_plan + fetched);
            fetch_ahead(run_plan + fetched);
            fetch_ahead(src + fetched);
        }
        const uint8_t literals = literal_plan[pos];
        *dst++ = literals;
        // A short literal section is copied as a whole block where both
        // sides have the room: one fixed copy instead of a choice of
        // copies by length. What lands past it is written again.
        if (literals <= block && n - pos >= block && static_cast<size_t>(dst_end - dst) >= block)
            memcpy(dst, src + pos, block);
        else
            memcpy(dst, src + pos, literals);
        dst += literals;
        pos += literals;
        if (pos == n)
            return;
        const uint8_t repeats = run_possible_at(src, pos) ? run_plan[pos] : 0;
        *dst++ = repeats;
        pos += repeats;
        if (pos == n)
            return;
    }
}

} // namespace

// Why three kept ends suffice. With F(p) and G(p) the fewest bytes for
// input[p..n) with a literal, respectively a run, next: after position p is
// added, the literal ends' costs span from the cheapest, A(p) + p - 1 with
// A(p) the best literal section from p, to the nearest, p + 1 + G(p + 1).
// G(p + 1) <= A(p): the best literal from p is either one byte long, and
// costs 2 + G(p + 1), or longer, and then an empty run at p + 1 and the rest
// of that literal cost as much. So the span is at most 2, and the kept
// costs differ from each other. Likewise for runs: the nearest end costs
// F(p + 1), and from p + 1 an empty literal and a run up to the cheapest
// end reach it for 2 bytes more than that end's cost.
extern "C" size_t encode_smallest(const uint8_t *src, size_t src_len, uint8_t *dst,
                                  size_t dst_cap, void *scratch) {
    if (src_len == 0)
        return 0;
    planner plan{src,
                 static_cast<uint8_t *>(scratch),
                 static_cast<uint8_t *>(scratch) + src_len,
                 {{0, 0, 0, 0}, {0, 0, 0, 0}, 0, 0},
                 {{0, 0, 0, 0}, {0, 0, 0, 0}, 0, 0},
                 0,
                 0};
    // Each stretch ends where the other kind begins: a fresh byte below a
    // repeat, a repeat below fresh bytes.
    size_t p = src_len - 1;
    plan.plan_position(p);
    for (;;) {
        p = run_possible_at(src, p) ? plan.plan_repeat(p) : plan.plan_fresh_stretch(p);
        if (p == 0)
            break;
        plan.plan_position(--p);
    }
    const size_t length = plan.f_lit;
    if (length > dst_cap)
        return 0;
    write_stream(src, src_len, plan.literal_plan, plan.run_plan, dst, length);
    return length;
}
