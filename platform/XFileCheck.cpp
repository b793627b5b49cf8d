#include "platform/XFileCheck.h"

#include <cstring>
#include <string_view>
#include <vector>

namespace {

enum class EToken { End, Bad, Name, String, Number, Guid, Open, Close, Template, Other };

struct SToken {
    EToken type = EToken::End;
    uint64_t value = 0;     // a number as the importer would take it for a count
    std::string_view text;  // names
};

// Where the importer would stop or misread, the check stops too: the reason.
constexpr const char* kCutShort = "the .x data is cut short or damaged";

// Tokens of either flavour of .x file: names, strings, numbers, GUIDs and
// braces; separators are dropped. Between objects a binary number list yields
// its numbers one by one (the importer skips it whole); inside the objects the
// importer reads, numbers are read as the importer reads them (Number), so
// that the check and the importer never part ways over the same bytes.
class CXLexer {
public:
    CXLexer(const uint8_t* data, size_t size, bool binary, size_t floatBytes)
        : m_pData(data), m_nSize(size), m_nPos(16), m_bBinary(binary), m_nFloatBytes(floatBytes)
    {}

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

    // One number of an object's data, an integer (bInt) or a float, read the
    // importer's way. False where the importer would misread the data: the
    // check cannot follow it there, so such a file is refused.
    bool Number(bool bInt, uint64_t* pValue)
    {
        if (!m_bBinary) {
            if (Peek().type != EToken::Number) return false;
            *pValue = Next().value;
            return true;
        }
        if (m_bPeeked) return false;
        if (m_nListLeft == 0) {
            // A run of numbers starts with a list of the kind asked for, or a
            // single integer; an empty list would make the importer count
            // down from zero.
            uint32_t token, n;
            if (!TakeWord(&token)) return false;
            if (token == 3) {
                n = 1;
            } else if (token == (bInt ? 6u : 7u)) {
                if (!TakeDword(&n) || n == 0 || static_cast<uint64_t>(n) * Each(bInt) > m_nSize - m_nPos) return false;
            } else {
                return false;
            }
            m_nListLeft = n;
            m_bIntList = bInt || token == 3;
        }
        // An integer read from a list of floats (or the reverse) is not what
        // any writer means; with 8-byte floats it would misread the bytes.
        if (m_bIntList != bInt && m_nFloatBytes != 4) return false;
        --m_nListLeft;
        const uint8_t* p;
        if (!Take(m_bIntList ? 4 : m_nFloatBytes, &p)) return false;
        *pValue = static_cast<uint64_t>(p[0]) | (static_cast<uint64_t>(p[1]) << 8) |
                  (static_cast<uint64_t>(p[2]) << 16) | (static_cast<uint64_t>(p[3]) << 24);
        return true;
    }
    // After an object's numbers: the importer reads the next token where the
    // numbers end, so a binary list must end there too, and in text no
    // number may follow (the importer would take it for an object's name).
    bool NumbersEnded() { return m_bBinary ? m_nListLeft == 0 : Peek().type != EToken::Number; }

    // One token of any kind, taken whole (a binary list with all its numbers),
    // as the importer takes a name or string it expects.
    bool SkipToken()
    {
        if (!m_bBinary || m_bPeeked || m_nListLeft != 0) {
            const SToken t = Next();
            return t.type != EToken::Bad && t.type != EToken::End;
        }
        uint32_t token, n;
        const uint8_t* p;
        if (!TakeWord(&token)) return false;
        switch (token) {
        case 1: return TakeDword(&n) && Take(n, &p);
        case 2: return TakeDword(&n) && Take(n, &p) && TakeWord(&n);
        case 3: return Take(4, &p);
        case 5: return Take(16, &p);
        case 6:
        case 7: return TakeDword(&n) && Take(static_cast<size_t>(n) * Each(token == 6), &p);
        default: return true;
        }
    }

private:
    size_t Each(bool bInt) const { return bInt ? 4 : m_nFloatBytes; }
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
            // The importer reads a count as the digits of a signed integer and
            // uses it unsigned: a minus sign makes it enormous. Whatever follows
            // the digits is taken as the importer would take the digits alone,
            // so every number is a possible count here.
            t.type = EToken::Number;
            uint64_t v = 0;
            for (size_t i = (first == '+' || first == '-') ? 1 : 0; i < t.text.size(); ++i) {
                const char d = t.text[i];
                if (d < '0' || d > '9') break;
                if (v < (uint64_t(1) << 40)) v = v * 10 + static_cast<uint64_t>(d - '0');
            }
            t.value = first == '-' && v != 0 ? UINT64_MAX : v;
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
                const uint8_t* p;
                if (!Take(m_bIntList ? 4 : m_nFloatBytes, &p)) return bad;
                SToken t;
                t.type = EToken::Number;
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
                const uint8_t* p;
                if (!Take(4, &p)) return bad;
                t.type = EToken::Number;
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
                // A list longer than the rest of the file is damage, whatever it feeds.
                if (static_cast<uint64_t>(n) * Each(token == 6) > m_nSize - m_nPos) return bad;
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

// What the objects inside a mesh are checked against: the importer indexes
// its vertices and faces with their numbers unchecked.
struct SMesh {
    uint64_t nVertices = 0;
    std::vector<uint32_t> faceSizes;
};

// The numbers of one object the importer reads, in its order, with every
// count checked against the limits and against what follows.
class CBodyCheck {
public:
    CBodyCheck(CXLexer& lexer, std::string_view object) : m_Lexer(lexer), m_Object(object) {}

    // A count; false when it breaks a limit or is not there.
    bool Count(uint64_t* pValue, uint64_t limit = kMaxXFileCount)
    {
        if (!m_Lexer.Number(true, pValue)) return Fail(kCutShort);
        return *pValue <= limit || TooMany(*pValue);
    }
    bool TooMany(uint64_t n)
    {
        return Fail(std::string(m_Object) + " declares " + std::to_string(n) + " elements, more than a mesh may have");
    }
    // n numbers of one kind; false when fewer follow.
    bool Numbers(uint64_t n, bool bInt)
    {
        uint64_t v;
        for (uint64_t i = 0; i < n; ++i)
            if (!m_Lexer.Number(bInt, &v))
                return Fail(std::string(m_Object) + " declares more elements than the file holds");
        return true;
    }
    bool Floats(uint64_t n) { return Numbers(n, false); }
    // n indices, each below `below`: the importer uses them unchecked.
    bool Indices(uint64_t n, uint64_t below)
    {
        uint64_t v;
        for (uint64_t i = 0; i < n; ++i) {
            if (!m_Lexer.Number(true, &v))
                return Fail(std::string(m_Object) + " declares more elements than the file holds");
            if (v >= below) return Fail(std::string(m_Object) + " names an element the mesh does not have");
        }
        return true;
    }
    bool Ints(uint64_t n) { return Numbers(n, true); }
    // A count, then count groups of `each` floats.
    bool FloatArray(uint64_t each)
    {
        uint64_t n = 0;
        return Count(&n) && Floats(n * each);
    }
    // A count of faces, each a count of indices and the indices (below
    // `below`). With pSizes empty the sizes are kept there; otherwise every
    // face must have the size given there (normals per corner of each face).
    bool Faces(uint64_t below, std::vector<uint32_t>* pSizes)
    {
        uint64_t n = 0;
        if (!Count(&n)) return false;
        const bool bMatch = !pSizes->empty();
        if (bMatch && n != pSizes->size()) return Fail(std::string(m_Object) + " does not match the mesh's faces");
        for (uint64_t f = 0; f < n; ++f) {
            uint64_t k = 0;
            if (!m_Lexer.Number(true, &k))
                return Fail(std::string(m_Object) + " declares more elements than the file holds");
            if (k > kMaxXFileCount) return TooMany(k);
            if (bMatch && k != (*pSizes)[f]) return Fail(std::string(m_Object) + " does not match the mesh's faces");
            if (!Indices(k, below)) return false;
            if (!bMatch) pSizes->push_back(static_cast<uint32_t>(k));
        }
        return true;
    }
    bool Ended() { return m_Lexer.NumbersEnded() || Fail(std::string(m_Object) + " holds more numbers than it reads"); }
    bool Fail(std::string why)
    {
        m_strWhy = std::move(why);
        return false;
    }
    const std::string& Why() const { return m_strWhy; }

private:
    CXLexer& m_Lexer;
    std::string_view m_Object;
    std::string m_strWhy;
};

// The data of the objects the importer reads, in its order. False with the
// reason when a count breaks a limit or the data would be misread.
// *pMaterials: the materials a MeshMaterialList declares.
bool CheckBody(CXLexer& lexer, std::string_view object, SMesh& mesh, uint64_t* pMaterials, std::string* pWhy)
{
    CBodyCheck b(lexer, object);
    bool ok = true;
    uint64_t n = 0, v = 0;
    if (object == "Mesh") {
        mesh = SMesh();
        ok = b.Count(&mesh.nVertices) && b.Floats(mesh.nVertices * 3) && b.Faces(mesh.nVertices, &mesh.faceSizes);
    } else if (object == "MeshNormals") {
        // One normal face for every face of the mesh, corner for corner.
        std::vector<uint32_t> sizes = mesh.faceSizes;
        ok = b.Count(&n) && b.Floats(n * 3) &&
             (sizes.empty() ? b.Count(&v) && (v == 0 || b.Fail("MeshNormals does not match the mesh's faces"))
                            : b.Faces(n, &sizes));
    } else if (object == "MeshTextureCoords") {
        ok = b.Count(&n) && (n == mesh.nVertices || b.Fail("MeshTextureCoords does not match the mesh's vertices")) &&
             b.Floats(n * 2);
    } else if (object == "MeshVertexColors") {
        // Each: the vertex index and a colour of four floats.
        ok = b.Count(&n);
        for (uint64_t i = 0; ok && i < n; ++i) ok = b.Indices(1, mesh.nVertices) && b.Floats(4);
    } else if (object == "FrameTransformMatrix") {
        ok = b.Floats(16);
    } else if (object == "Material") {
        ok = b.Floats(4 + 1 + 3 + 3);
    } else if (object == "XSkinMeshHeader") {
        ok = b.Ints(3);
    } else if (object == "AnimTicksPerSecond") {
        ok = b.Ints(1);
    } else if (object == "SkinWeights") {
        ok = lexer.SkipToken() || b.Fail(kCutShort);
        ok = ok && b.Count(&n) && b.Indices(n, mesh.nVertices) && b.Floats(n) && b.Floats(16);
    } else if (object == "AnimationKey") {
        // The key type fixes the values of each key (a quaternion, a vector
        // or a matrix); another type stops the importer.
        uint64_t type = 0, keys = 0;
        ok = b.Count(&type, UINT64_MAX) && b.Count(&keys);
        static const uint64_t kValues[] = {4, 3, 3, 16, 16};
        for (uint64_t k = 0; ok && type < 5 && k < keys; ++k)
            ok = b.Count(&v, UINT64_MAX) && b.Count(&v, UINT64_MAX) && b.Floats(kValues[type]);
    } else if (object == "MeshMaterialList") {
        ok = b.Count(pMaterials) && b.Count(&v) &&
             (v == mesh.faceSizes.size() || v == 1 || b.Fail("MeshMaterialList does not match the mesh's faces")) &&
             b.Indices(v, *pMaterials);
    } else {
        return true;  // read by the importer token by token, like the check
    }
    ok = ok && b.Ended();
    if (!ok && pWhy) *pWhy = b.Why();
    return ok;
}

bool Fail(std::string* pWhy, const char* why)
{
    if (pWhy) *pWhy = why;
    return false;
}

}  // namespace

bool CheckXFileLimits(const uint8_t* data, size_t size, std::string* pWhy)
{
    if (!data || size < 16 || std::memcmp(data, "xof ", 4) != 0) return Fail(pWhy, "not a .x mesh");
    const std::string_view format(reinterpret_cast<const char*>(data) + 8, 4);
    const std::string_view floats(reinterpret_cast<const char*>(data) + 12, 4);
    if (format == "tzip" || format == "bzip") return Fail(pWhy, "compressed .x meshes are not read");
    if (format != "txt " && format != "bin ") return Fail(pWhy, "not a .x mesh (unknown format)");
    CXLexer lexer(data, size, format == "bin ", floats == "0064" ? 8 : 4);

    // The objects open around the current token; a material list counts the
    // materials given inside it (Material objects and references "{ name }"),
    // since the importer reads one for every one declared and fails badly
    // when one is missing.
    struct SOpen {
        bool bMaterialList = false;
        uint64_t nDeclared = 0;
        uint64_t nFound = 0;
    };
    std::vector<SOpen> open;
    auto enter = [&](bool bMaterial, SOpen inner) {
        if (!open.empty() && open.back().bMaterialList && bMaterial) ++open.back().nFound;
        open.push_back(inner);
        return static_cast<int>(open.size()) <= kMaxXFileDepth;
    };
    auto leave = [&]() {
        if (open.empty()) return true;
        const SOpen o = open.back();
        open.pop_back();
        return !o.bMaterialList || o.nFound >= o.nDeclared;
    };
    SMesh mesh;
    for (;;) {
        const SToken t = lexer.Next();
        switch (t.type) {
        case EToken::End:
            while (!open.empty())
                if (!leave()) return Fail(pWhy, "MeshMaterialList declares more materials than it holds");
            return true;
        case EToken::Bad: return Fail(pWhy, kCutShort);
        case EToken::Open:
            if (!enter(true, SOpen())) return Fail(pWhy, "objects nested too deeply");
            break;
        case EToken::Close:
            if (!leave()) return Fail(pWhy, "MeshMaterialList declares more materials than it holds");
            break;
        case EToken::Template: {
            // A template declaration describes members; it holds no data.
            int inner = 0;
            for (;;) {
                const SToken u = lexer.Next();
                if (u.type == EToken::End) return true;
                if (u.type == EToken::Bad) return Fail(pWhy, kCutShort);
                if (u.type == EToken::Open) ++inner;
                if (u.type == EToken::Close && --inner <= 0) break;
            }
            break;
        }
        case EToken::Name: {
            // An object's header: its template, an optional name, a brace.
            if (lexer.Peek().type == EToken::Name) lexer.Next();
            if (lexer.Peek().type != EToken::Open) break;
            lexer.Next();
            SOpen inner;
            inner.bMaterialList = t.text == "MeshMaterialList";
            if (!enter(t.text == "Material", inner)) return Fail(pWhy, "objects nested too deeply");
            if (!CheckBody(lexer, t.text, mesh, &open.back().nDeclared, pWhy)) return false;
            break;
        }
        default: break;
        }
    }
}
