// The look at a .x mesh before the importer reads it: counts a file cannot
// hold, or that no mesh needs, are refused from a few bytes; genuine meshes of
// either flavour pass.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/XFileCheck.h"

namespace {

const char kTriangle[] = R"(xof 0303txt 0032
template Mesh {
 <3D82AB44-62DA-11CF-AB39-0020AF71E433>
 DWORD nVertices;
 array Vector vertices[nVertices];
 DWORD nFaces;
 array MeshFace faces[nFaces];
 [...]
}
// a comment { 99999999;
# another } 
Frame Mesh {
 Mesh tri {
  3;
  0.0;0.0;0.0;,
  1.0;0.0;0.0;,
  0.0;1.0;0.0;;
  1;
  3;0,1,2;;
  MeshNormals { 1; 0.0;0.0;-1.0;; 1; 3;0,0,0;; }
  MeshTextureCoords { 3; 0.0;0.0;, 1.0;0.0;, 0.0;1.0;; }
  MeshVertexColors { 3; 0;1.0;0.0;0.0;1.0;;, 1;0.0;1.0;0.0;1.0;;, 2;0.0;0.0;1.0;1.0;;; }
  MeshMaterialList { 1; 1; 0;; Material { 1.0;1.0;1.0;1.0;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; TextureFilename { "a.png"; } } }
 }
}
)";

std::string Text(const char* body)
{
    return std::string("xof 0303txt 0032\n") + body;
}

bool Check(const std::string& data, std::string* pWhy = nullptr)
{
    return CheckXFileLimits(reinterpret_cast<const uint8_t*>(data.data()), data.size(), pWhy);
}

// Binary tokens, little-endian.
struct SBinary {
    std::string bytes = "xof 0303bin 0032";
    SBinary& Word(uint16_t w)
    {
        bytes.push_back(static_cast<char>(w & 0xFF));
        bytes.push_back(static_cast<char>(w >> 8));
        return *this;
    }
    SBinary& Dword(uint32_t d)
    {
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>(d >> (8 * i)));
        return *this;
    }
    SBinary& Name(const std::string& n)
    {
        Word(1).Dword(static_cast<uint32_t>(n.size()));
        bytes += n;
        return *this;
    }
    SBinary& Ints(std::vector<uint32_t> v)
    {
        Word(6).Dword(static_cast<uint32_t>(v.size()));
        for (uint32_t x : v) Dword(x);
        return *this;
    }
    SBinary& Floats(uint32_t n)
    {
        Word(7).Dword(n);
        for (uint32_t i = 0; i < n; ++i) Dword(0);
        return *this;
    }
    SBinary& Open() { return Word(0x0A); }
    SBinary& Close() { return Word(0x0B); }
};

TEST(XFileCheck, GenuineMeshesOfBothFlavoursPass)
{
    std::string why;
    EXPECT_TRUE(Check(kTriangle, &why)) << why;
    SBinary bin;
    bin.Name("Mesh").Open().Ints({3}).Floats(9).Ints({1, 3, 0, 1, 2}).Close();
    EXPECT_TRUE(Check(bin.bytes, &why)) << why;
    // A material may be given by reference.
    EXPECT_TRUE(Check(
        Text("Material red { 1.0;0.0;0.0;1.0;; 1.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; }\n"
             "MeshMaterialList { 2; 1; 0;; { red } Material { 1.0;1.0;1.0;1.0;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; } }"),
        &why))
        << why;
    // Numbers of one run may come as several lists, and an integer token counts.
    SBinary split;
    split.Name("Mesh").Open().Ints({3}).Floats(4).Floats(5).Word(3).Dword(1).Ints({3, 0, 1, 2}).Close();
    EXPECT_TRUE(Check(split.bytes, &why)) << why;
    // Unknown objects are stepped over whole, as the importer steps over them.
    EXPECT_TRUE(Check(Text("Header { 1; 0; 1; }\nAnimTicksPerSecond { 4800; }\nFVFData { 1; { 2; } }\n"), &why))
        << why;
    EXPECT_TRUE(Check(Text("AnimationSet { Animation { { tri } AnimationKey { 2; 1; 0;3;1.0,2.0,3.0;;, } } }"), &why))
        << why;
}

TEST(XFileCheck, CountsTheFileCannotHoldOrNoMeshNeedsAreRefused)
{
    const struct {
        const char* what;
        std::string data;
        const char* why;
    } kCases[] = {
        {"two billion vertices in a few bytes", Text("Mesh { 2000000000; 0.0;0.0;0.0;; }"),
         "more than a mesh may have"},
        {"a quarter billion vertices", Text("Mesh { 250000000; 0.0;0.0;0.0;; }"), "more than a mesh may have"},
        {"a negative count", Text("Mesh { -1; 0.0;0.0;0.0;; }"), "more than a mesh may have"},
        {"more vertices than follow", Text("Mesh { 1000; 0.0;0.0;0.0;; 1; 3;0,0,0;; }"),
         "more elements than the file holds"},
        {"more faces than follow", Text("Mesh { 1; 0.0;0.0;0.0;; 900000; 3;0,0,0;; }"),
         "more elements than the file holds"},
        {"a face of a million corners", Text("Mesh { 1; 0.0;0.0;0.0;; 1; 1000000;0,0,0;; }"),
         "more elements than the file holds"},
        {"normals", Text("Mesh { 1; 0.0;0.0;0.0;; 1; 3;0,0,0;; MeshNormals { 4000000000; } }"),
         "more than a mesh may have"},
        {"texture coordinates",
         Text("Mesh { 3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;; 1; 3;0,1,2;; MeshTextureCoords { 3; 0.0;0.0;, "
              "1.0;0.0;; } }"),
         "more elements than the file holds"},
        {"vertex colours",
         Text("Mesh { 3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;; 1; 3;0,1,2;; MeshVertexColors { 3; "
              "0;1.0;1.0;1.0;1.0;;; } }"),
         "more elements than the file holds"},
        {"fewer vertex colours than vertices",
         Text("Mesh { 3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;; 1; 3;0,1,2;; MeshVertexColors { 1; "
              "2;1.0;1.0;1.0;1.0;;; } }"),
         "does not match the mesh's vertices"},
        {"material indices",
         Text("Mesh { 3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;; 2; 3;0,1,2;, 3;0,1,2;; MeshMaterialList { 1; 2; 0;; "
              "} }"),
         "more elements than the file holds"},
        {"skin weights", Text("Mesh { 1; 0.0;0.0;0.0;; 1; 3;0,0,0;; SkinWeights { \"bone\"; 900000; 0; } }"),
         "more elements than the file holds"},
        {"animation keys", Text("AnimationSet { Animation { AnimationKey { 0; 3000000000; } } }"),
         "more than a mesh may have"},
        {"materials declared but not there",
         Text("Mesh { 3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;; 1; 3;0,1,2;;\n"
              " MeshMaterialList { 2; 1; 0;; Material { 1.0;1.0;1.0;1.0;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; } } }"),
         "more materials than it holds"},
        {"no material at all", Text("Mesh { 1; 0.0;0.0;0.0;; 1; 3;0,0,0;; MeshMaterialList { 1; 1; 0;; } }"),
         "more materials than it holds"},
        // The importer takes whatever stands where an object's name belongs
        // (a number, a comma) for the name of an unknown object, and steps
        // over everything up to the next brace and the brace closing it: the
        // material reference after it is never read.
        {"a number after the material indices",
         Text("Mesh { 3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;; 1; 3;0,1,2;; MeshMaterialList { 1; 1; 0, 1;; { red "
              "} } }"),
         "more materials than it holds"},
        {"a comma after the material indices",
         Text("Mesh { 1; 0.0;0.0;0.0;; 1; 3;0,0,0;; MeshMaterialList { 1; 1; 0;;, { red } } }"),
         "more materials than it holds"},
        {"a material reference inside an unknown object",
         Text("Mesh{4;0;0;0;0;0;0,.0;0;0, 0;0;2;3;0,1,2;3;0,2,3;x{}MeshMaterialList{1;1;0;e 0{\"\"}}}"),
         "more materials than it holds"},
        {"one material index for a mesh without faces",
         Text("Mesh { 0; 0; MeshMaterialList { 1; 1; 0; Material { 0;0;0;1;; 0; 0;0;0;; 0;0;0;; } } }"),
         "does not match the mesh's faces"},
        {"a second material list",
         Text("Mesh { 1; 0.0;0.0;0.0;; 1; 3;0,0,0;; MeshMaterialList { 1; 1; 0;; { red } } MeshMaterialList { 1; 1; "
              "0;; { red } } }"),
         "more than one MeshMaterialList"},
        {"objects that are no material",
         Text("Mesh { 1; 0.0;0.0;0.0;; 1; 3;0,0,0;; MeshMaterialList { 1; 1; 0;; Materials { 1.0; } Other { } } }"),
         "more materials than it holds"},
        {"a face naming a vertex that is not there",
         Text("Mesh { 3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;; 1; 3;0,1,3;; }"),
         "names an element the mesh does not have"},
        {"a normal index that is not there",
         Text("Mesh { 3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;; 1; 3;0,1,2;; MeshNormals { 1; 0.0;0.0;1.0;; 1; "
              "3;0,0,16777216;; } }"),
         "names an element the mesh does not have"},
        {"normal faces smaller than the faces",
         Text("Mesh { 3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;; 1; 3;0,1,2;; MeshNormals { 1; 0.0;0.0;1.0;; 1; "
              "2;0,0;; } }"),
         "does not match the mesh's faces"},
        {"fewer texture coordinates than vertices",
         Text("Mesh { 3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;; 1; 3;0,1,2;; MeshTextureCoords { 2; 0.0;0.0;, "
              "1.0;0.0;; } }"),
         "does not match the mesh's vertices"},
        {"a material index beyond the materials",
         Text("Mesh { 3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;; 1; 3;0,1,2;; MeshMaterialList { 1; 1; 1;; { red } } "
              "}"),
         "names an element the mesh does not have"},
        {"nesting without end", Text(std::string(3000, '{').c_str()), "nested too deeply"},
        {"frames nested without end",
         [] {
             std::string s = "xof 0303txt 0032\n";
             for (int i = 0; i < 300; ++i) s += "Frame {\n";
             return s;
         }(),
         "nested too deeply"},
        {"compressed",
         "xof 0303tzip0032\x10\x00\x00\x00"
         "CK",
         "compressed"},
        {"not a mesh", "PK\x03\x04 not at all", "not a .x mesh"},
        {"binary vertices beyond limits", SBinary().Name("Mesh").Open().Ints({2000000000}).bytes,
         "more than a mesh may have"},
        {"binary list longer than the file",
         [] {
             SBinary b;
             b.Name("Mesh").Open().Word(7).Dword(100000000);
             return b.bytes;
         }(),
         "cut short"},
        {"binary name longer than the file", SBinary().Word(1).Dword(0xFFFFFFF0u).bytes, "cut short"},
        // The importer takes whatever stands where a count belongs as one
        // number (here the bytes after a name token): the check refuses to
        // guess along.
        {"binary count where a name stands",
         SBinary().Name("Mesh").Open().Ints({3}).Floats(9).Name("MeshNormals").Open().bytes, "cut short"},
        {"binary count from an empty list", SBinary().Name("Mesh").Open().Ints({}).Ints({3}).bytes, "cut short"},
        {"binary list running past its object",
         SBinary().Name("Frame").Open().Name("FrameTransformMatrix").Open().Floats(17).Close().Close().bytes,
         "holds more numbers than it reads"},
    };
    for (const auto& c : kCases) {
        std::string why;
        EXPECT_FALSE(Check(c.data, &why)) << c.what;
        EXPECT_NE(why.find(c.why), std::string::npos) << c.what << ": " << why;
    }
}

}  // namespace
