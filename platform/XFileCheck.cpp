#include "platform/XFileCheck.h"

#include <cstring>
#include <string_view>

namespace {

enum class EToken { End, Bad, Name, String, Number, Guid, Open, Close, Template, Other };

struct SToken {
    EToken type = EToken::End;
    uint64_t value = 0;      // for whole non-negative numbers
    bool whole = false;      // a whole number (a count can only be one)
    std::string_view text;   // names
};

// Tokens of either flavour of .x file: names, strings, numbers, GUIDs and
// braces; separators are dropped. A binary number list yields its numbers one
// by one, so nothing is stored whatever the file declares.
class CXLexer {
public:
    CXLexer(const uint8_t* data, size_t size, bool binary, size_t floatBytes)
        : m_pData(data), m_nSize(size), m_nPos(16), m_bBinary(binary), m_nFloatBytes(floatBytes)
    {
    }

    const SToken& Peek()
    {
        if (!m_bPeeked) {
            m_Peek = m_bBinary ? ReadBinary() : ReadText();
            m_bPeeked = true;
        }
        return m_Peek;
    }
    SToken Next()
    {
        Peek();
        m_bPeeked = false;
        return m_Peek;
    }

private:
    static bool IsBlank(uint8_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ',' || c == ';'; }
    static bool Ends(uint8_t c) { return IsBlank(c) || c == '{' || c == '}' || c == '"' || c == '<' || c == '#'; }

    SToken ReadText()
    {
        for (;;) {
            while (m_nPos < m_nSize && IsBlank(m_pData[m_nPos])) ++m_nPos;
            if (m_nPos >= m_nSize) return {};
            const uint8_t c = m_pData[m_nPos];
            if (c == '#' || (c == '/' && m_nPos + 1 < m_nSize && m_pData[m_nPos + 1] == '/')) {
                while (m_nPos < m_nSize && m_pData[m_nPos] != '\n') ++m_nPos;
                continue;
            }
            break;
        }
        const uint8_t c = m_pData[m_nPos];
        SToken t;
        if (c == '{' || c == '}') {
            ++m_nPos;
            t.type = c == '{' ? EToken::Open : EToken::Close;
            return t;
        }
        if (c == '"' || c == '<') {
            const uint8_t close = c == '"' ? '"' : '>';
            const void* end = std::memchr(m_pData + m_nPos + 1, close, m_nSize - m_nPos - 1);
            if (!end) {
                t.type = EToken::Bad;
                return t;
            }
            m_nPos = static_cast<size_t>(static_cast<const uint8_t*>(end) - m_pData) + 1;
            t.type = c == '"' ? EToken::String : EToken::Guid;
            return t;
        }
        const size_t start = m_nPos;
        while (m_nPos < m_nSize && !Ends(m_pData[m_nPos])) ++m_nPos;
        t.text = std::string_view(reinterpret_cast<const char*>(m_pData + start), m_nPos - start);
        const char first = t.text[0];
        if ((first >= '0' && first <= '9') || first == '-' || first == '+' || first == '.') {
            t.type = EToken::Number;
            // The importer reads a count as a signed integer and uses it
            // unsigned: a minus sign makes it enormous.
            t.whole = first != '-';
            uint64_t v = 0;
            for (size_t i = first == '+' ? 1 : 0; i < t.text.size() && t.whole; ++i) {
                const char d = t.text[i];
                if (d < '0' || d > '9') {
                    t.whole = false;
                    break;
                }
                if (v < (uint64_t(1) << 40)) v = v * 10 + static_cast<uint64_t>(d - '0');
            }
            t.value = t.whole ? v : 0;
            if (first == '-') {
                t.whole = true;
                t.value = UINT64_MAX;
                for (size_t i = 1; i < t.text.size(); ++i)
                    if (t.text[i] < '0' || t.text[i] > '9') t.whole = false;
                if (t.text == "-0" || !t.whole) t.value = 0;
            }
            return t;
        }
        t.type = t.text == "template" ? EToken::Template : EToken::Name;
        return t;
    }

    bool Take(size_t n, const uint8_t** p)
    {
        if (n > m_nSize - m_nPos) return false;
        *p = m_pData + m_nPos;
        m_nPos += n;
        return true;
    }
    bool TakeWord(uint32_t* v)
    {
        const uint8_t* p;
        if (!Take(2, &p)) return false;
        *v = static_cast<uint32_t>(p[0] | (p[1] << 8));
        return true;
    }
    bool TakeDword(uint32_t* v)
    {
        const uint8_t* p;
        if (!Take(4, &p)) return false;
        *v = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
             (static_cast<uint32_t>(p[3]) << 24);
        return true;
    }

    SToken ReadBinary()
    {
        SToken bad;
        bad.type = EToken::Bad;
        for (;;) {
            if (m_nListLeft > 0) {
                --m_nListLeft;
                SToken t;
                t.type = EToken::Number;
                if (m_bIntList) {
                    uint32_t v;
                    if (!TakeDword(&v)) return bad;
                    // Read as signed, used unsigned: the same wrap as in text.
                    t.whole = true;
                    t.value = v;
                } else {
                    const uint8_t* p;
                    if (!Take(m_nFloatBytes, &p)) return bad;
                }
                return t;
            }
            if (m_nPos >= m_nSize) return {};
            uint32_t token;
            if (!TakeWord(&token)) return bad;
            SToken t;
            switch (token) {
            case 1:    // name
            case 2: {  // string
                uint32_t n;
                const uint8_t* p;
                if (!TakeDword(&n) || !Take(n, &p)) return bad;
                if (token == 2) {
                    uint32_t terminator;
                    if (!TakeWord(&terminator)) return bad;
                    t.type = EToken::String;
                } else {
                    t.type = EToken::Name;
                    t.text = std::string_view(reinterpret_cast<const char*>(p), n);
                }
                return t;
            }
            case 3: {  // integer
                uint32_t v;
                if (!TakeDword(&v)) return bad;
                t.type = EToken::Number;
                t.whole = true;
                t.value = v;
                return t;
            }
            case 5: {  // GUID
                const uint8_t* p;
                if (!Take(16, &p)) return bad;
                t.type = EToken::Guid;
                return t;
            }
            case 6:    // integer list
            case 7: {  // float list
                uint32_t n;
                if (!TakeDword(&n)) return bad;
                const size_t each = token == 6 ? 4 : m_nFloatBytes;
                // A list longer than the rest of the file is damage, whatever it feeds.
                if (static_cast<uint64_t>(n) * each > m_nSize - m_nPos) return bad;
                m_nListLeft = n;
                m_bIntList = token == 6;
                continue;
            }
            case 0x0A: t.type = EToken::Open; return t;
            case 0x0B: t.type = EToken::Close; return t;
            case 0x13:  // comma
            case 0x14:  // semicolon
                continue;
            case 0x1F: t.type = EToken::Template; return t;
            default: t.type = EToken::Other; return t;
            }
        }
    }

    const uint8_t* m_pData;
    size_t m_nSize;
    size_t m_nPos;
    bool m_bBinary;
    size_t m_nFloatBytes;
    uint64_t m_nListLeft = 0;
    bool m_bIntList = false;
    SToken m_Peek;
    bool m_bPeeked = false;
};

// Checks the numbers at the start of one object's body against what follows.
class CBodyCheck {
public:
    CBodyCheck(CXLexer& lexer, std::string_view object) : m_Lexer(lexer), m_Object(object) {}

    // Reads a count; false when it breaks a limit. A body that holds no
    // number where a count belongs is left to the importer (bStop).
    bool Count(uint64_t limit, uint64_t* pValue)
    {
        const SToken& t = m_Lexer.Peek();
        if (t.type != EToken::Number || !t.whole) {
            m_bStop = true;
            return true;
        }
        *pValue = m_Lexer.Next().value;
        if (*pValue > limit) {
            m_strWhy = std::string(m_Object) + " declares " + std::to_string(*pValue) +
                       " elements, more than a mesh may have";
            return false;
        }
        return true;
    }
    // Skips n numbers; false when the body holds fewer.
    bool Skip(uint64_t n)
    {
        for (uint64_t i = 0; i < n; ++i) {
            if (m_Lexer.Peek().type != EToken::Number) {
                m_strWhy = std::string(m_Object) + " declares more elements than the file holds";
                return false;
            }
            m_Lexer.Next();
        }
        return true;
    }
    bool Stopped() const { return m_bStop; }
    const std::string& Why() const { return m_strWhy; }

    // A count, then count groups of `each` numbers.
    bool Array(uint64_t each)
    {
        uint64_t n = 0;
        return Count(kMaxXFileCount, &n) && (m_bStop || Skip(n * each));
    }
    // A count of faces, each a count of indices and the indices.
    bool Faces()
    {
        uint64_t n = 0;
        if (!Count(kMaxXFileCount, &n)) return false;
        for (uint64_t f = 0; f < n && !m_bStop; ++f) {
            // Every face declared must be there: a missing one is a count the
            // file cannot hold.
            if (m_Lexer.Peek().type != EToken::Number) return Skip(1);
            uint64_t k = 0;
            if (!Count(kMaxXFileCount, &k)) return false;
            if (!m_bStop && !Skip(k)) return false;
        }
        return true;
    }

private:
    CXLexer& m_Lexer;
    std::string_view m_Object;
    std::string m_strWhy;
    bool m_bStop = false;
};

// The counted members at the start of the standard templates the importer
// reads. False with the reason when a count breaks a limit.
bool CheckBody(CXLexer& lexer, std::string_view object, std::string* pWhy)
{
    CBodyCheck b(lexer, object);
    bool ok = true;
    uint64_t v = 0;
    if (object == "Mesh" || object == "MeshNormals") {
        ok = b.Array(3) && (b.Stopped() || b.Faces());
    } else if (object == "MeshTextureCoords") {
        ok = b.Array(2);
    } else if (object == "MeshVertexColors") {
        ok = b.Array(5);
    } else if (object == "MeshFaceWraps") {
        ok = b.Array(2);
    } else if (object == "MeshMaterialList") {
        ok = b.Count(kMaxXFileCount, &v) && (b.Stopped() || b.Array(1));
    } else if (object == "VertexDuplicationIndices") {
        uint64_t n = 0;
        ok = b.Count(kMaxXFileCount, &n) && (b.Stopped() || (b.Count(kMaxXFileCount, &v) && (b.Stopped() || b.Skip(n))));
    } else if (object == "FVFData") {
        ok = b.Count(UINT64_MAX, &v) && (b.Stopped() || b.Array(1));
    } else if (object == "DeclData") {
        ok = b.Array(4) && (b.Stopped() || b.Array(1));
    } else if (object == "SkinWeights") {
        if (lexer.Peek().type == EToken::String) lexer.Next();
        uint64_t n = 0;
        ok = b.Count(kMaxXFileCount, &n) && (b.Stopped() || (b.Skip(n) && b.Skip(n)));
    } else if (object == "AnimationKey") {
        uint64_t keys = 0;
        ok = b.Count(UINT64_MAX, &v) && (b.Stopped() || b.Count(kMaxXFileCount, &keys));
        // Each key: its time, a count of values and the values.
        for (uint64_t k = 0; ok && !b.Stopped() && k < keys; ++k)
            ok = b.Count(UINT64_MAX, &v) && (b.Stopped() || b.Array(1));
    }
    if (!ok && pWhy) *pWhy = b.Why();
    return ok;
}

bool Fail(std::string* pWhy, const char* why)
{
    if (pWhy) *pWhy = why;
    return false;
}

} // namespace

bool CheckXFileLimits(const uint8_t* data, size_t size, std::string* pWhy)
{
    if (!data || size < 16 || std::memcmp(data, "xof ", 4) != 0) return Fail(pWhy, "not a .x mesh");
    const std::string_view format(reinterpret_cast<const char*>(data) + 8, 4);
    const std::string_view floats(reinterpret_cast<const char*>(data) + 12, 4);
    if (format == "tzip" || format == "bzip") return Fail(pWhy, "compressed .x meshes are not read");
    if (format != "txt " && format != "bin ") return Fail(pWhy, "not a .x mesh (unknown format)");
    CXLexer lexer(data, size, format == "bin ", floats == "0064" ? 8 : 4);

    int depth = 0;
    for (;;) {
        const SToken t = lexer.Next();
        switch (t.type) {
        case EToken::End: return true;
        case EToken::Bad: return Fail(pWhy, "the .x data is cut short or damaged");
        case EToken::Open:
            if (++depth > kMaxXFileDepth) return Fail(pWhy, "objects nested too deeply");
            break;
        case EToken::Close:
            if (depth > 0) --depth;
            break;
        case EToken::Template: {
            // A template declaration describes members; it holds no data.
            int inner = 0;
            for (;;) {
                const SToken u = lexer.Next();
                if (u.type == EToken::End) return true;
                if (u.type == EToken::Bad) return Fail(pWhy, "the .x data is cut short or damaged");
                if (u.type == EToken::Open) ++inner;
                if (u.type == EToken::Close && --inner <= 0) break;
            }
            break;
        }
        case EToken::Name: {
            // An object's header: its template, an optional name and GUID, a brace.
            if (lexer.Peek().type == EToken::Name) lexer.Next();
            if (lexer.Peek().type == EToken::Guid) lexer.Next();
            if (lexer.Peek().type != EToken::Open) break;
            lexer.Next();
            if (++depth > kMaxXFileDepth) return Fail(pWhy, "objects nested too deeply");
            if (!CheckBody(lexer, t.text, pWhy)) return false;
            break;
        }
        default: break;
        }
    }
}
