#include "platform/XFileCheck.h"

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "core/Util.h"

namespace {

// Where the importer would stop or misread, the check stops too: the reason.
constexpr const char* kCutShort = "the .x data is cut short or damaged";
constexpr const char* kTooDeep = "objects nested too deeply";

// What the check found wrong; set once, at the first fault.
struct SVerdict {
    std::string why;
    bool Fail(std::string text)
    {
        if (why.empty()) why = std::move(text);
        return false;
    }
};

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The digits the importer's real-number reader takes for one run: where it
// stops. A run whose value overflows 64 bits is left unread there.
const char* SkipDigits(const char* c, unsigned maxDigits = 0)
{
    uint64_t value = 0;
    unsigned count = 0;
    const char* start = c;
    while (IsDigit(*c)) {
        const uint64_t next = value * 10 + static_cast<uint64_t>(*c - '0');
        if (next < value) return start;
        value = next;
        ++c;
        if (maxDigits != 0 && ++count == maxDigits) {
            while (IsDigit(*c)) ++c;
            return c;
        }
    }
    return c;
}

bool SameLetters(const char* c, const char* word)
{
    for (; *word; ++c, ++word)
        if ((*c | 0x20) != *word) return false;
    return true;
}

// Where the importer's text real-number reader stops after reading one
// number at c (NUL-terminated); nullptr where it would give up.
const char* SkipReal(const char* c)
{
    if (*c == '-' || *c == '+') ++c;
    if (SameLetters(c, "nan")) return c + 3;
    if (SameLetters(c, "inf")) return SameLetters(c + 3, "inity") ? c + 8 : c + 3;
    const bool point = (c[0] == '.' || c[0] == ',') && IsDigit(c[1]);
    if (!IsDigit(c[0]) && !point) return nullptr;
    if (c[0] != '.' && c[0] != ',') c = SkipDigits(c);
    if ((c[0] == '.' || c[0] == ',') && IsDigit(c[1])) c = SkipDigits(c + 1, 15);
    else if (*c == '.') ++c;
    if (*c == 'e' || *c == 'E') {
        ++c;
        if (*c == '-' || *c == '+') ++c;
        if (!IsDigit(*c)) return nullptr;
        c = SkipDigits(c);
    }
    return c;
}

// Reads a .x file token for token and number for number exactly as the mesh
// importer reads it, so that what the check counts is what the importer
// builds. Wherever the two could part ways the check refuses the file.
class CXReader {
public:
    CXReader(const uint8_t* data, size_t size, bool binary, size_t floatBytes)
        : m_Data(reinterpret_cast<const char*>(data), size), m_nPos(16), m_bBinary(binary), m_nFloatBytes(floatBytes)
    {
        // A text file's first line is its header, whatever follows it there.
        if (!m_bBinary) SkipLine();
    }

    // The next token. Empty at the end of the data, and where the check
    // cannot be sure what the importer takes (then Unsure() holds).
    std::string_view Token() { return m_bBinary ? BinaryToken() : TextToken(); }
    bool Unsure() const { return m_bUnsure; }
    // The importer reads an object's structure where its numbers end: a
    // binary list must end there too.
    bool NumbersEnded() const { return !m_bBinary || m_nListLeft == 0; }

    // One integer; false where the importer would stop or misread it.
    bool Int(uint64_t* pValue)
    {
        if (m_bBinary) return BinaryNumber(true, pValue);
        SkipBlanks();
        bool negative = false;
        if (At(0) == '-') {
            negative = true;
            ++m_nPos;
        }
        if (!IsDigit(At(0))) return false;
        uint64_t v = 0;
        while (m_nPos < End() && IsDigit(At(0))) {
            // The importer keeps 32 bits; any value this large breaks a limit.
            if (v < (uint64_t(1) << 40)) v = v * 10 + static_cast<uint64_t>(At(0) - '0');
            ++m_nPos;
        }
        *pValue = negative && v != 0 ? UINT64_MAX : v;
        return Separator();
    }
    bool Float()
    {
        uint64_t unused;
        if (m_bBinary) return BinaryNumber(false, &unused);
        SkipBlanks();
        // Undefined numbers some exporters write: the importer steps over them
        // by fixed widths the check does not follow.
        if (At(0) == '-' || At(0) == '1') {
            const char* c = m_Data.c_str() + m_nPos + (At(0) == '-' ? 1 : 0);
            if (std::strncmp(c, "1.#", 3) == 0) return false;
        }
        const char* end = SkipReal(m_Data.c_str() + m_nPos);
        if (!end) return false;
        m_nPos = static_cast<size_t>(end - m_Data.c_str());
        return Separator();
    }
    // The optional separator after a group of numbers.
    void TestForSeparator()
    {
        if (m_bBinary) return;
        SkipBlanks();
        if (m_nPos < End() && (At(0) == ';' || At(0) == ',')) ++m_nPos;
    }
    // A ';' straight after the material indices, without blanks before it.
    void SkipSemicolonHere()
    {
        if (!m_bBinary && m_nPos < End() && At(0) == ';') ++m_nPos;
    }
    bool Separator()
    {
        if (m_bBinary) return true;
        const std::string_view t = Token();
        return t == "," || t == ";";
    }
    bool Semicolon() { return m_bBinary || Token() == ";"; }
    bool Closes() { return NumbersEnded() && Token() == "}"; }
    // An object's header after its template name: an optional name and "{".
    bool Head()
    {
        const std::string_view t = Token();
        if (m_bUnsure) return false;
        return t == "{" || (Token() == "{" && !m_bUnsure);
    }
    // A quoted string and its ';' (text), or any one token (binary).
    bool String()
    {
        if (m_bBinary) {
            Token();
            return !m_bUnsure;
        }
        SkipBlanks();
        if (m_nPos >= End() || At(0) != '"') return false;
        ++m_nPos;
        while (m_nPos < End() && At(0) != '"') ++m_nPos;
        if (m_nPos + 1 >= End() || At(1) != ';') return false;
        m_nPos += 2;
        return true;
    }

private:
    size_t End() const { return m_Data.size(); }
    // The byte at m_nPos + i, or NUL past the end (the importer reads a
    // NUL-terminated copy).
    char At(size_t i) const { return m_nPos + i < End() ? m_Data[m_nPos + i] : '\0'; }

    void SkipBlanks()
    {
        for (;;) {
            while (m_nPos < End() && IsSpace(At(0))) ++m_nPos;
            if (m_nPos >= End()) return;
            if (!((At(0) == '/' && At(1) == '/') || At(0) == '#')) return;
            SkipLine();
        }
    }
    // To the start of the next line (after one '\n' or '\r').
    void SkipLine()
    {
        while (m_nPos < End() && At(0) != '\n' && At(0) != '\r') ++m_nPos;
        if (m_nPos < End()) ++m_nPos;
    }

    std::string_view TextToken()
    {
        SkipBlanks();
        const size_t start = m_nPos;
        while (m_nPos < End() && !IsSpace(At(0))) {
            const char c = At(0);
            if (c == ';' || c == '}' || c == '{' || c == ',') {
                if (m_nPos == start) ++m_nPos;
                break;
            }
            ++m_nPos;
        }
        return std::string_view(m_Data).substr(start, m_nPos - start);
    }

    size_t Left() const { return m_nPos <= End() ? End() - m_nPos : 0; }
    bool Take(size_t n)
    {
        if (n > Left()) return false;
        m_nPos += n;
        return true;
    }
    // The bytes just taken, n of them back from the current place.
    const uint8_t* Taken(size_t n) const { return reinterpret_cast<const uint8_t*>(m_Data.data() + m_nPos - n); }
    bool TakeWord(uint32_t* v) { return Take(2) && ((*v = LoadLe16(Taken(2))), true); }
    bool TakeDword(uint32_t* v) { return Take(4) && ((*v = LoadLe32(Taken(4))), true); }
    std::string_view MarkUnsure()
    {
        m_bUnsure = true;
        return {};
    }

    std::string_view BinaryToken()
    {
        if (m_nPos == End()) return {};
        uint32_t token, n;
        if (!TakeWord(&token)) return MarkUnsure();
        switch (token) {
        case 1:
        case 2: {
            // Names and strings; an empty one would end the importer's reading
            // where the check cannot tell whether the data ends.
            if (!TakeDword(&n) || n == 0 || n > Left()) return MarkUnsure();
            const std::string_view text = std::string_view(m_Data).substr(m_nPos, n);
            m_nPos += n;
            if (token == 2 && !Take(2)) return MarkUnsure();
            return text;
        }
        case 3: return Take(4) ? "<integer>" : MarkUnsure();
        case 5: return Take(16) ? "<guid>" : MarkUnsure();
        case 6:
        case 7: {
            const size_t each = token == 6 ? 4 : m_nFloatBytes;
            if (!TakeDword(&n) || static_cast<uint64_t>(n) * each > Left()) return MarkUnsure();
            m_nPos += static_cast<size_t>(n) * each;
            return token == 6 ? "<int_list>" : "<flt_list>";
        }
        case 0x0A: return "{";
        case 0x0B: return "}";
        case 0x0C: return "(";
        case 0x0D: return ")";
        case 0x0E: return "[";
        case 0x0F: return "]";
        case 0x10: return "<";
        case 0x11: return ">";
        case 0x12: return ".";
        case 0x13: return ",";
        case 0x14: return ";";
        case 0x1F: return "template";
        case 0x28: return "WORD";
        case 0x29: return "DWORD";
        case 0x2A: return "FLOAT";
        case 0x2B: return "DOUBLE";
        case 0x2C: return "CHAR";
        case 0x2D: return "UCHAR";
        case 0x2E: return "SWORD";
        case 0x2F: return "SDWORD";
        case 0x30: return "void";
        case 0x31: return "string";
        case 0x32: return "unicode";
        case 0x33: return "cstring";
        case 0x34: return "array";
        default: return MarkUnsure();
        }
    }

    // A number of a binary run: a list of the kind asked for, or a single
    // integer token. An empty list would make the importer count down from
    // zero, and an integer read from a list of floats (or the reverse) is
    // not what any writer means; the check refuses both.
    bool BinaryNumber(bool bInt, uint64_t* pValue)
    {
        if (m_nListLeft == 0) {
            uint32_t token, n;
            if (!TakeWord(&token)) return false;
            if (token == 3) {
                n = 1;
            } else if (token == (bInt ? 6u : 7u)) {
                if (!TakeDword(&n) || n == 0 || static_cast<uint64_t>(n) * (bInt ? 4 : m_nFloatBytes) > Left())
                    return false;
            } else {
                return false;
            }
            m_nListLeft = n;
            m_bIntList = bInt || token == 3;
        }
        if (m_bIntList != bInt && m_nFloatBytes != 4) return false;
        --m_nListLeft;
        const size_t each = m_bIntList ? 4 : m_nFloatBytes;
        if (!Take(each)) return false;
        *pValue = LoadLe32(Taken(each));
        return true;
    }

    std::string m_Data;
    size_t m_nPos;
    bool m_bBinary;
    size_t m_nFloatBytes;
    uint64_t m_nListLeft = 0;
    bool m_bIntList = false;
    bool m_bUnsure = false;
};

// A mesh as far as the check follows it: what its objects are checked
// against.
struct SMesh {
    uint64_t nVertices = 0;
    std::vector<uint32_t> faceSizes;
    uint64_t nMaterials = 0;      // materials given in its material lists
    uint64_t nFaceMaterials = 0;  // material indices given for its faces
};

// The objects the importer reads, each read as the importer reads it, with
// every count checked against the limits and against what follows.
class CXCheck {
public:
    explicit CXCheck(CXReader& reader) : m_R(reader) {}

    bool File()
    {
        for (;;) {
            const std::string_view name = m_R.Token();
            if (m_R.Unsure()) return Fail(kCutShort);
            if (name.empty()) return true;
            if (!TopObject(name)) return false;
        }
    }
    const std::string& Why() const { return m_Verdict.why; }

private:
    bool Fail(std::string why) { return m_Verdict.Fail(std::move(why)); }

    // The name of the next object inside another; false at the end of the data.
    bool Inner(std::string_view* pName)
    {
        if (!m_R.NumbersEnded()) return Fail(m_strObject + " holds more numbers than it reads");
        *pName = m_R.Token();
        if (m_R.Unsure() || pName->empty()) return Fail(kCutShort);
        return true;
    }

    bool TopObject(std::string_view name)
    {
        if (name == "template") return Template();
        if (name == "Frame") return Frame(1);
        if (name == "Mesh") return Mesh();
        if (name == "AnimTicksPerSecond") return Begin(name) && Ints(1) && End();
        if (name == "AnimationSet") return AnimationSet();
        if (name == "Material") return Material();
        if (name == "}") return true;
        return Unknown();
    }

    // An object the importer steps over: to its first brace, then to the
    // brace that closes it.
    bool Unknown()
    {
        std::string_view t;
        do {
            t = m_R.Token();
            if (t.empty()) return Fail(kCutShort);
        } while (t != "{");
        int depth = 1;
        while (depth > 0) {
            t = m_R.Token();
            if (t.empty()) return Fail(kCutShort);
            if (t == "{" && ++depth > kMaxXFileDepth) return Fail(kTooDeep);
            if (t == "}") --depth;
        }
        return true;
    }

    // A template declaration describes members and holds no data; it ends
    // at its first closing brace.
    bool Template()
    {
        if (!m_R.Head()) return Fail(kCutShort);
        m_R.Token();  // its GUID
        for (std::string_view t = m_R.Token(); t != "}"; t = m_R.Token())
            if (t.empty()) return Fail(kCutShort);
        return true;
    }

    bool Begin(std::string_view object)
    {
        m_strObject = std::string(object);
        return m_R.Head() || Fail(kCutShort);
    }
    bool End()
    {
        if (!m_R.NumbersEnded()) return Fail(m_strObject + " holds more numbers than it reads");
        return m_R.Closes() || Fail(kCutShort);
    }

    bool TooMany(uint64_t n)
    {
        return Fail(m_strObject + " declares " + std::to_string(n) + " elements, more than a mesh may have");
    }
    bool Short() { return Fail(m_strObject + " declares more elements than the file holds"); }
    // A count within the limits.
    bool Count(uint64_t* pValue, uint64_t limit = kMaxXFileCount)
    {
        if (!m_R.Int(pValue)) return Fail(kCutShort);
        return *pValue <= limit || TooMany(*pValue);
    }
    bool Ints(uint64_t n)
    {
        uint64_t v;
        for (uint64_t i = 0; i < n; ++i)
            if (!m_R.Int(&v)) return Short();
        return true;
    }
    bool Floats(uint64_t n)
    {
        for (uint64_t i = 0; i < n; ++i)
            if (!m_R.Float()) return Short();
        return true;
    }
    // n groups of `each` floats, each group with its optional separator.
    bool Vectors(uint64_t n, uint64_t each)
    {
        for (uint64_t i = 0; i < n; ++i) {
            if (!Floats(each)) return false;
            m_R.TestForSeparator();
        }
        return true;
    }
    // n indices, each below `below`: the importer uses them unchecked.
    bool Indices(uint64_t n, uint64_t below)
    {
        uint64_t v;
        for (uint64_t i = 0; i < n; ++i) {
            if (!m_R.Int(&v)) return Short();
            if (v >= below) return Fail(m_strObject + " names an element the mesh does not have");
        }
        return true;
    }
    // A count of faces, each a count of indices and the indices (below
    // `below`). With pSizes empty the sizes are kept there; otherwise every
    // face must have the size given there (normals per corner of each face).
    bool Faces(uint64_t below, std::vector<uint32_t>* pSizes)
    {
        uint64_t n = 0;
        if (!Count(&n)) return false;
        const bool bMatch = !pSizes->empty();
        if (bMatch && n != pSizes->size()) return Fail(m_strObject + " does not match the mesh's faces");
        for (uint64_t f = 0; f < n; ++f) {
            uint64_t k = 0;
            if (!m_R.Int(&k)) return Short();
            if (k > kMaxXFileCount) return TooMany(k);
            if (bMatch && k != (*pSizes)[f]) return Fail(m_strObject + " does not match the mesh's faces");
            if (!Indices(k, below)) return false;
            m_R.TestForSeparator();
            if (!bMatch) pSizes->push_back(static_cast<uint32_t>(k));
        }
        return true;
    }

    // The objects inside `object` up to its closing brace, each read by
    // read(name); false (with the reason) as soon as one read fails.
    template <typename FRead>
    bool Inside(std::string_view object, FRead read)
    {
        for (;;) {
            m_strObject = std::string(object);
            std::string_view name;
            if (!Inner(&name)) return false;
            if (name == "}") return true;
            if (!read(name)) return false;
        }
    }

    bool Frame(int depth)
    {
        if (depth > kMaxXFileDepth) return Fail(kTooDeep);
        return Begin("Frame") && Inside("Frame", [&](std::string_view name) {
                   if (name == "Frame") return Frame(depth + 1);
                   if (name == "FrameTransformMatrix")
                       return Begin(name) && Floats(16) && (m_R.Semicolon() || Fail(kCutShort)) && End();
                   if (name == "Mesh") return Mesh();
                   return Unknown();
               });
    }

    bool Mesh()
    {
        SMesh mesh;
        if (!Begin("Mesh") || !Count(&mesh.nVertices) || !Vectors(mesh.nVertices, 3) ||
            !Faces(mesh.nVertices, &mesh.faceSizes))
            return false;
        const bool ok = Inside("Mesh", [&](std::string_view name) {
            uint64_t n = 0;
            if (name == "MeshNormals") {
                // One normal face for every face of the mesh, corner for corner.
                std::vector<uint32_t> sizes = mesh.faceSizes;
                if (!Begin(name) || !Count(&n) || !Vectors(n, 3) ||
                    !(sizes.empty() ? Count(&n) && (n == 0 || Fail("MeshNormals does not match the mesh's faces"))
                                    : Faces(n, &sizes)))
                    return false;
                m_R.TestForSeparator();
                return End();
            }
            if (name == "MeshTextureCoords")
                return Begin(name) && Count(&n) &&
                       (n == mesh.nVertices || Fail("MeshTextureCoords does not match the mesh's vertices")) &&
                       Vectors(n, 2) && End();
            if (name == "MeshVertexColors") {
                // A colour for every vertex, each: the vertex index and four floats.
                if (!Begin(name) || !Count(&n) ||
                    !(n == mesh.nVertices || Fail("MeshVertexColors does not match the mesh's vertices")))
                    return false;
                for (uint64_t i = 0; i < n; ++i) {
                    if (!Indices(1, mesh.nVertices) || !Vectors(1, 4)) return false;
                    m_R.TestForSeparator();
                }
                return End();
            }
            if (name == "MeshMaterialList") return MaterialList(mesh);
            if (name == "XSkinMeshHeader") return Begin(name) && Ints(3) && End();
            if (name == "SkinWeights")
                return Begin(name) && (m_R.String() || Fail(kCutShort)) && Count(&n) && Indices(n, mesh.nVertices) &&
                       Floats(n) && Floats(16) && (m_R.Semicolon() || Fail(kCutShort)) && End();
            return Unknown();
        });
        if (!ok) return false;
        // The importer looks up a material for every face that names one.
        if (mesh.nFaceMaterials > 0 && mesh.nMaterials == 0)
            return Fail("MeshMaterialList declares more materials than it holds");
        return true;
    }

    bool MaterialList(SMesh& mesh)
    {
        uint64_t declared = 0, n = 0;
        if (!Begin("MeshMaterialList") || !Count(&declared) || !Count(&n)) return false;
        // The importer gives every face its material by face number: one list
        // of an index per face, or of a single index for all the faces there are.
        if (mesh.nFaceMaterials > 0) return Fail("Mesh holds more than one MeshMaterialList");
        if (n != mesh.faceSizes.size() && (n != 1 || mesh.faceSizes.empty()))
            return Fail("MeshMaterialList does not match the mesh's faces");
        if (!Indices(n, declared)) return false;
        mesh.nFaceMaterials += n;
        m_R.SkipSemicolonHere();
        uint64_t found = 0;
        const bool ok = Inside("MeshMaterialList", [&](std::string_view name) {
            if (name == "{") {
                // A material given by reference: "{ name }".
                ++found;
                return Reference();
            }
            if (name == "Material") {
                ++found;
                return Material();
            }
            return name == ";" || Unknown();
        });
        if (!ok) return false;
        mesh.nMaterials += found;
        return found >= declared || Fail("MeshMaterialList declares more materials than it holds");
    }

    // A name in braces, after the opening one: a material the file gave
    // before, or the frame an animation moves.
    bool Reference() { return (!m_R.Token().empty() && m_R.Closes()) || Fail(kCutShort); }

    bool Material()
    {
        // A colour with alpha, the specular power, the specular and emissive colours.
        if (!Begin("Material") || !Vectors(1, 4) || !Floats(1) || !Vectors(2, 3)) return false;
        return Inside("Material", [&](std::string_view name) {
            if (name == "TextureFilename" || name == "TextureFileName" || name == "NormalmapFilename" ||
                name == "NormalmapFileName")
                return Begin(name) && (m_R.String() || Fail(kCutShort)) && End();
            return Unknown();
        });
    }

    bool AnimationSet()
    {
        return Begin("AnimationSet") && Inside("AnimationSet", [&](std::string_view name) {
                   return name == "Animation" ? Animation() : Unknown();
               });
    }

    bool Animation()
    {
        return Begin("Animation") && Inside("Animation", [&](std::string_view name) {
                   if (name == "AnimationKey") return AnimationKey();
                   if (name == "{") return Reference();
                   return Unknown();
               });
    }

    // The key type fixes the values of each key (a quaternion, a vector or a
    // matrix); another type stops the importer.
    bool AnimationKey()
    {
        uint64_t type = 0, keys = 0, v = 0;
        if (!Begin("AnimationKey") || !Count(&type, UINT64_MAX) || !Count(&keys)) return false;
        static const uint64_t kValues[] = {4, 3, 3, 16, 16};
        if (type >= 5) return Fail("AnimationKey has a key type the importer does not read");
        for (uint64_t k = 0; k < keys; ++k) {
            if (!Count(&v, UINT64_MAX) || !Count(&v, UINT64_MAX)) return false;
            if (v != kValues[type]) return Fail("AnimationKey does not match its key type");
            if (type == 1 || type == 2) {
                if (!Vectors(1, 3)) return false;
            } else if (!Floats(v) || !(m_R.Semicolon() || Fail(kCutShort))) {
                return false;
            }
            if (!m_R.Separator()) return Fail(kCutShort);
        }
        return End();
    }

    CXReader& m_R;
    SVerdict m_Verdict;
    std::string m_strObject;  // the object being read, for the reasons given
};

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
    if (floats != "0032" && floats != "0064") return Fail(pWhy, "not a .x mesh (unknown number size)");
    CXReader reader(data, size, format == "bin ", floats == "0064" ? 8 : 4);
    CXCheck check(reader);
    if (check.File()) return true;
    if (pWhy) *pWhy = check.Why();
    return false;
}
