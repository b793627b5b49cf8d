#define GL_GLEXT_PROTOTYPES 1
#include "platform/GlRenderer.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cmath>
#include <cstring>
#include <string>

#include "platform/MeshEdges.h"
#include "platform/RenderMath.h"

namespace {

// Uniform block shared by both shader stages (std140 layout).
struct alignas(16) SFixedBlock {
    float mv[16];
    float proj[16];
    float normal[12];  // mat3: three columns of vec4
    float lightDir[4];
    float lightDiffuse[4];
    float lightAmbient[4];
    float globalAmbient[4];
    float fogColor[4];
    float params[4];    // fog start, fog end, alpha reference (0..255), unused
    float pixelFix[4];  // clip-space shift of pixel centres: x, y
    int32_t flags0[4];  // pretransformed, has normal, has diffuse, colour vertex
    int32_t flags1[4];  // lighting, light on, fog, texture on
    int32_t ops0[4];    // colour op, colour arg1, colour arg2, alpha op
    int32_t ops1[4];    // alpha arg1, alpha arg2, alpha func, unused
};
static_assert(sizeof(SFixedBlock) == 352, "std140 layout");

// The shaders are specialised by #defines for each combination of states in use
// (see ShaderKey): straight-line code runs far faster on a software rasteriser than
// branches on uniforms, and the results are the same.
const char* kShaderBlock = R"(
layout(std140) uniform Fixed {
    mat4 uMV; mat4 uProj; mat3 uNormal;
    vec4 uLightDir, uLightDiffuse, uLightAmbient, uGlobalAmbient;
    vec4 uFogColor;
    vec4 uParams, uPixelFix;
    ivec4 uFlags0, uFlags1, uOps0, uOps1;
};
)";

const char* kVertexShader = R"(
layout(location = 0) in vec4 aPos;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec4 aColor;
layout(location = 3) in vec2 aUV;
#if LIGHTING
// The material: each vertex's own in a batch of lit draws whose materials
// differ, else one value for the whole draw. One program serves both, so a
// software rasteriser compiles each lit kind of draw once.
layout(location = 4) in vec4 aMatDiffuse;
layout(location = 5) in vec4 aMatAmbient;
layout(location = 6) in vec4 aMatEmissive;
#endif
INTERP out vec4 vColor;
INTERP out vec2 vUV;
#if FOG
INTERP out float vFog;
#endif
void main() {
    vUV = aUV;
#if PRE
    // Pre-transformed: pixels in, no transform, lighting or fog.
    vec4 p = uProj * vec4(aPos.xyz, 1.0);
    p.xy += uPixelFix.xy * p.w;
    gl_Position = p / aPos.w;
#else
    vec4 pv = uMV * vec4(aPos.xyz, 1.0);
    vec4 p = uProj * pv;
    p.xy += uPixelFix.xy * p.w;
    gl_Position = p;
#endif
#if LIGHTING
#if VERTEX_DIFFUSE
    vec4 cd = aColor;
#else
    vec4 cd = aMatDiffuse;
#endif
    vec3 ambientLight = uGlobalAmbient.rgb;
    vec3 diffuse = vec3(0.0);
#if LIGHT_ON
    ambientLight += uLightAmbient.rgb;
#if HAS_NORMAL
    vec3 n = uNormal * aNormal;
    diffuse = cd.rgb * uLightDiffuse.rgb * clamp(dot(n, uLightDir.xyz), 0.0, 1.0);
#endif
#endif
    vColor = vec4(clamp(aMatAmbient.rgb * ambientLight + diffuse + aMatEmissive.rgb, 0.0, 1.0), cd.a);
#elif HAS_DIFFUSE
    vColor = aColor;
#else
    vColor = vec4(1.0);
#endif
#if FOG
    float d = abs(pv.z);
    float range = uParams.y - uParams.x;
    vFog = range != 0.0 ? clamp((uParams.y - d) / range, 0.0, 1.0) : (d < uParams.y ? 1.0 : 0.0);
#endif
}
)";

const char* kFragmentShader = R"(
uniform sampler2D uTexture;
INTERP in vec4 vColor;
INTERP in vec2 vUV;
#if FOG
INTERP in float vFog;
#endif
out vec4 oColor;
void main() {
    vec4 d = vColor;
    vec4 c = d;
#if TEX
    vec4 t = texture(uTexture, vUV);
    vec4 c1 = COLOR_ARG1;
    vec4 c2 = COLOR_ARG2;
#if COLOR_OP == 2
    c.rgb = c1.rgb;
#elif COLOR_OP == 3
    c.rgb = c2.rgb;
#elif COLOR_OP == 4
    c.rgb = c1.rgb * c2.rgb;
#endif
    vec4 a1 = ALPHA_ARG1;
    vec4 a2 = ALPHA_ARG2;
#if ALPHA_OP == 2
    c.a = a1.a;
#elif ALPHA_OP == 3
    c.a = a2.a;
#elif ALPHA_OP == 4
    c.a = a1.a * a2.a;
#endif
#endif
#if ALPHA_FUNC != 8
    float v = floor(c.a * 255.0 + 0.5);
    float r = uParams.z;
#if ALPHA_FUNC == 1
    discard;
#elif ALPHA_FUNC == 2
    if (!(v < r)) discard;
#elif ALPHA_FUNC == 3
    if (!(v == r)) discard;
#elif ALPHA_FUNC == 4
    if (!(v <= r)) discard;
#elif ALPHA_FUNC == 5
    if (!(v > r)) discard;
#elif ALPHA_FUNC == 6
    if (!(v != r)) discard;
#elif ALPHA_FUNC == 7
    if (!(v >= r)) discard;
#endif
#endif
#if FOG
    c.rgb = mix(uFogColor.rgb, c.rgb, vFog);
#endif
    oColor = c;
}
)";

// The states a shader variant is specialised for, packed into one number.
struct SShaderKey {
    bool pre = false, lighting = false, lightOn = false, hasNormal = false, vertexDiffuse = false;
    bool hasDiffuse = false, fog = false, tex = false;
    // Every vertex of the draw has the same clip-space w: perspective-correct
    // interpolation is then plain linear interpolation, which a software
    // rasteriser does with less work per pixel.
    bool affine = false;
    uint32_t colorOp = 0, colorArg1 = 0, colorArg2 = 0, alphaOp = 0, alphaArg1 = 0, alphaArg2 = 0;
    uint32_t alphaFunc = 8;

    uint32_t Pack() const
    {
        uint32_t k = 0;
        k |= pre ? 1u : 0u;
        k |= lighting ? 2u : 0u;
        k |= lightOn ? 4u : 0u;
        k |= hasNormal ? 8u : 0u;
        k |= vertexDiffuse ? 16u : 0u;
        k |= hasDiffuse ? 32u : 0u;
        k |= fog ? 64u : 0u;
        k |= tex ? 128u : 0u;
        k |= (colorOp & 7u) << 8;
        k |= (colorArg1 & 3u) << 11;
        k |= (colorArg2 & 3u) << 13;
        k |= (alphaOp & 7u) << 15;
        k |= (alphaArg1 & 3u) << 18;
        k |= (alphaArg2 & 3u) << 20;
        k |= (alphaFunc & 15u) << 22;
        k |= affine ? (1u << 26) : 0u;
        return k;
    }

    std::string Defines() const
    {
        auto arg = [](uint32_t a) { return a == TA_TEXTURE ? "t" : "d"; };
        std::string s = "#version 330 core\n";
        auto def = [&s](const char* name, const std::string& value) {
            s += "#define ";
            s += name;
            s += " ";
            s += value;
            s += "\n";
        };
        def("PRE", pre ? "1" : "0");
        def("LIGHTING", lighting ? "1" : "0");
        def("LIGHT_ON", lightOn ? "1" : "0");
        def("HAS_NORMAL", hasNormal ? "1" : "0");
        def("VERTEX_DIFFUSE", vertexDiffuse ? "1" : "0");
        def("HAS_DIFFUSE", hasDiffuse ? "1" : "0");
        def("FOG", fog ? "1" : "0");
        def("TEX", tex ? "1" : "0");
        def("COLOR_OP", std::to_string(colorOp));
        def("COLOR_ARG1", arg(colorArg1));
        def("COLOR_ARG2", arg(colorArg2));
        def("ALPHA_OP", std::to_string(alphaOp));
        def("ALPHA_ARG1", arg(alphaArg1));
        def("ALPHA_ARG2", arg(alphaArg2));
        def("ALPHA_FUNC", std::to_string(alphaFunc));
        def("INTERP", affine ? "noperspective" : "smooth");
        return s;
    }
};

class CGlTexture : public CRenderTexture {
public:
    CGlTexture(int w, int h, bool target, bool mips)
    {
        m_nWidth = w;
        m_nHeight = h;
        m_bRenderTarget = target;
        m_bMipmaps = mips;
    }
    GLuint m_nTex = 0;
    GLuint m_nFbo = 0;
    GLuint m_nDepth = 0;
    // The smaller levels are made on the first draw that samples them: most
    // textures are only ever drawn at full size, and the levels would hold a
    // third as much memory again for nothing.
    bool m_bLevelsMade = false;
    // The texels upside down (rows bottom first, as the back buffer holds its
    // pixels) in the back buffer's format, made on the first copy: a copy
    // needs neither flipping nor converting, so the driver moves memory
    // instead of drawing.
    GLuint m_nFlipped = 0;
    GLuint m_nFlippedFbo = 0;
};

// Deletes a texture's upside-down copy (its texels changed, or it goes).
void ForgetFlipped(CGlTexture* t)
{
    if (t->m_nFlippedFbo) glDeleteFramebuffers(1, &t->m_nFlippedFbo);
    if (t->m_nFlipped) glDeleteTextures(1, &t->m_nFlipped);
    t->m_nFlippedFbo = t->m_nFlipped = 0;
}

class CGlMesh : public CRenderMesh {
public:
    CGlMesh(const RVertex* vertices, int vertexCount, const uint16_t* indices, int indexCount, uint32_t format)
        : m_Indices(indices, indices + indexCount)
    {
        m_Positions.reserve(static_cast<size_t>(vertexCount));
        for (int i = 0; i < vertexCount; ++i) m_Positions.push_back(Vec3{vertices[i].x, vertices[i].y, vertices[i].z});
        m_nVertices = vertexCount;
        m_nIndices = indexCount;
        m_nFormat = format;
    }

    // A range of triangles as the game draws it (a subset): its bounds and,
    // once it has been drawn as a wireframe, where its edges lie in the index
    // buffer, after the triangles.
    struct SRange {
        int firstIndex = 0;
        int triangleCount = 0;
        SBox box;
        bool edges = false;
        int orderedAt = 0;  // indices into the index buffer
        int orderedCount = 0;
        int groupedAt = 0;
        std::vector<SMeshEdges::SRun> runs;  // first: relative to groupedAt
    };
    SRange& Range(int firstIndex, int triangleCount)
    {
        for (SRange& r : m_Ranges)
            if (r.firstIndex == firstIndex && r.triangleCount == triangleCount) return r;
        SRange r;
        r.firstIndex = firstIndex;
        r.triangleCount = triangleCount;
        r.box = BoundsOf(m_Positions.data(), m_Indices.data() + firstIndex, triangleCount * 3);
        m_Ranges.push_back(r);
        return m_Ranges.back();
    }
    // Adds the range's edges to the index list; true when the list grew (the
    // buffer must be filled again).
    bool AddEdges(SRange& r)
    {
        if (r.edges) return false;
        r.edges = true;
        const SMeshEdges e = BuildMeshEdges(m_Indices.data() + r.firstIndex, r.triangleCount);
        r.orderedAt = static_cast<int>(m_Indices.size());
        r.orderedCount = static_cast<int>(e.ordered.size());
        m_Indices.insert(m_Indices.end(), e.ordered.begin(), e.ordered.end());
        // One run: the grouped list is the ordered one.
        r.groupedAt = r.orderedAt;
        r.runs = e.runs;
        if (e.runs.size() > 1) {
            r.groupedAt = static_cast<int>(m_Indices.size());
            m_Indices.insert(m_Indices.end(), e.grouped.begin(), e.grouped.end());
        }
        return true;
    }
    const std::vector<uint16_t>& Indices() const { return m_Indices; }

    GLuint m_nVao = 0, m_nVbo = 0, m_nIbo = 0;

private:
    std::vector<Vec3> m_Positions;
    // The triangles, then the edges of the ranges drawn as wireframes.
    std::vector<uint16_t> m_Indices;
    std::vector<SRange> m_Ranges;
};

// The vertex attributes of RVertex data starting at byte base of the bound buffer.
void SetupVertexAttributes(size_t base = 0)
{
    const GLsizei stride = sizeof(RVertex);
    auto at = [base](size_t field) { return reinterpret_cast<void*>(base + field); };
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, stride, at(offsetof(RVertex, x)));
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, stride, at(offsetof(RVertex, nx)));
    glEnableVertexAttribArray(2);
    // 0xAARRGGBB little-endian is B, G, R, A in memory.
    glVertexAttribPointer(2, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride, at(offsetof(RVertex, diffuse)));
    glEnableVertexAttribArray(3);
    glVertexAttribPointer(3, 2, GL_FLOAT, GL_FALSE, stride, at(offsetof(RVertex, u)));
}

// Attributes 4 to 6 (diffuse, ambient, emissive) from the materials of a batch
// starting at byte base of the bound buffer; or off.
void SetupMaterialAttributes(bool on, size_t base = 0)
{
    for (GLuint i = 0; i < 3; ++i) {
        if (!on) {
            glDisableVertexAttribArray(4 + i);
            continue;
        }
        glEnableVertexAttribArray(4 + i);
        glVertexAttribPointer(4 + i, 4, GL_FLOAT, GL_FALSE, sizeof(CGlRenderer::SVertexMaterial),
                              reinterpret_cast<void*>(base + i * 4 * sizeof(float)));
    }
}

GLenum BlendFactor(uint32_t b)
{
    switch (b) {
    case BLEND_ZERO: return GL_ZERO;
    case BLEND_ONE: return GL_ONE;
    case BLEND_SRCCOLOR: return GL_SRC_COLOR;
    case BLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
    case BLEND_SRCALPHA: return GL_SRC_ALPHA;
    case BLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    // The back buffer has no alpha channel of its own: destination alpha reads 1.
    case BLEND_DESTALPHA: return GL_ONE;
    case BLEND_INVDESTALPHA: return GL_ZERO;
    case BLEND_DESTCOLOR: return GL_DST_COLOR;
    case BLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
    default: return GL_ONE;
    }
}

void Unpack(uint32_t argb, float out[4])
{
    out[0] = ((argb >> 16) & 0xFF) / 255.0f;
    out[1] = ((argb >> 8) & 0xFF) / 255.0f;
    out[2] = (argb & 0xFF) / 255.0f;
    out[3] = ((argb >> 24) & 0xFF) / 255.0f;
}

void Copy4(const SColorValue& c, float out[4])
{
    out[0] = c.r;
    out[1] = c.g;
    out[2] = c.b;
    out[3] = c.a;
}

void CopyMatrix(const Matrix& m, float out[16])
{
    std::memcpy(out, m.m, sizeof(float) * 16);
}

GLuint Compile(GLenum type, const std::string& defines, const char* body, std::string& error)
{
    GLuint s = glCreateShader(type);
    const char* parts[3] = {defines.c_str(), kShaderBlock, body};
    glShaderSource(s, 3, parts, nullptr);
    glCompileShader(s);
    GLint ok = 0;
    glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[1024] = {};
        glGetShaderInfoLog(s, sizeof log - 1, nullptr, log);
        error = std::string("shader compilation failed: ") + log;
        glDeleteShader(s);
        return 0;
    }
    return s;
}

// Every channel is written (a partial mask costs a software rasteriser dearly).
// Nothing reads the alpha left in the picture: blending maps destination alpha to
// 1 and read-backs make it opaque, as with a back buffer that has no alpha.
void ColourWrites() { glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE); }

}  // namespace

SLetterbox ComputeLetterbox(int drawableWidth, int drawableHeight)
{
    constexpr int kW = CRenderer::kWidth, kH = CRenderer::kHeight;
    const int64_t w = std::max(drawableWidth, 1), h = std::max(drawableHeight, 1);
    SLetterbox box;
    // Wider than 4:3 fills the height, narrower the width; the other side is
    // rounded to the nearest pixel.
    if (w * kH >= h * kW) {
        box.height = static_cast<int>(h);
        box.width = static_cast<int>((h * kW * 2 + kH) / (kH * 2));
    } else {
        box.width = static_cast<int>(w);
        box.height = static_cast<int>((w * kH * 2 + kW) / (kW * 2));
    }
    box.x = static_cast<int>((w - box.width) / 2);
    box.y = static_cast<int>((h - box.height) / 2);
    box.whole = box.width % kW == 0 && box.height == box.width / kW * kH;
    return box;
}

CGlRenderer::CGlRenderer(CGlSurface* surface) : m_pSurface(surface)
{
    m_CachedWorld = IdentityMatrix();
    m_CachedWorldNormal = IdentityMatrix();
}

CGlRenderer::~CGlRenderer()
{
    for (const auto& p : m_Programs) glDeleteProgram(p.second);
    if (!m_bReady) return;
    glDeleteVertexArrays(1, &m_nVao);
    glDeleteBuffers(1, &m_nStreamVbo);
    glDeleteBuffers(1, &m_nStreamIbo);
    glDeleteBuffers(1, &m_nMaterialVbo);
    glDeleteBuffers(1, &m_nUbo);
    glDeleteSamplers(1, &m_nSampler);
    glDeleteFramebuffers(1, &m_nBackFbo);
    glDeleteRenderbuffers(1, &m_nBackColor);
    glDeleteRenderbuffers(1, &m_nBackDepth);
    glDeleteFramebuffers(1, &m_nWindowFbo);
    glDeleteRenderbuffers(1, &m_nWindowColor);
}

std::string CGlRenderer::Description() const
{
    const char* v = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    const char* r = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    return std::string(v ? v : "?") + ", " + (r ? r : "?");
}

unsigned CGlRenderer::ProgramFor(uint32_t key, const std::string& defines, std::string& error)
{
    auto it = m_Programs.find(key);
    if (it != m_Programs.end()) return it->second;
    GLuint vs = Compile(GL_VERTEX_SHADER, defines, kVertexShader, error);
    if (!vs) return 0;
    GLuint fs = Compile(GL_FRAGMENT_SHADER, defines, kFragmentShader, error);
    if (!fs) {
        glDeleteShader(vs);
        return 0;
    }
    GLuint program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glLinkProgram(program);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    GLuint block = ok ? glGetUniformBlockIndex(program, "Fixed") : GL_INVALID_INDEX;
    if (!ok || block == GL_INVALID_INDEX) {
        char log[1024] = {};
        glGetProgramInfoLog(program, sizeof log - 1, nullptr, log);
        error = std::string("shader link failed: ") + log;
        glDeleteProgram(program);
        return 0;
    }
    glUseProgram(program);
    const GLint sampler = glGetUniformLocation(program, "uTexture");
    if (sampler >= 0) glUniform1i(sampler, 0);
    glUniformBlockBinding(program, block, 0);
    m_nCurrentProgram = program;
    m_Programs.emplace(key, program);
    return program;
}

bool CGlRenderer::Initialize(std::string& error)
{
    // The variant of untextured screen rectangles proves that the shaders build.
    SShaderKey key;
    key.pre = true;
    key.hasDiffuse = true;
    if (!ProgramFor(key.Pack(), key.Defines(), error)) return false;
    glGenBuffers(1, &m_nUbo);
    glBindBuffer(GL_UNIFORM_BUFFER, m_nUbo);
    glBufferData(GL_UNIFORM_BUFFER, sizeof(SFixedBlock), nullptr, GL_DYNAMIC_DRAW);
    glBindBufferBase(GL_UNIFORM_BUFFER, 0, m_nUbo);

    glGenVertexArrays(1, &m_nVao);
    glBindVertexArray(m_nVao);
    glGenBuffers(1, &m_nStreamVbo);
    glBindBuffer(GL_ARRAY_BUFFER, m_nStreamVbo);
    // The streams hold some frames of the heaviest play (2,000 bullets are
    // 320 KiB of vertices); each new storage costs the same page faults per
    // byte whatever its size, and a smaller one holds less memory.
    m_nStreamCapacity = 1 << 20;
    glBufferData(GL_ARRAY_BUFFER, m_nStreamCapacity, nullptr, GL_STREAM_DRAW);
    SetupVertexAttributes();
    glGenBuffers(1, &m_nStreamIbo);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_nStreamIbo);  // part of the stream VAO
    m_nIndexCapacity = 256 << 10;
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, m_nIndexCapacity, nullptr, GL_STREAM_DRAW);
    glGenBuffers(1, &m_nMaterialVbo);
    glBindBuffer(GL_ARRAY_BUFFER, m_nMaterialVbo);
    m_nMaterialCapacity = 256 << 10;
    glBufferData(GL_ARRAY_BUFFER, m_nMaterialCapacity, nullptr, GL_STREAM_DRAW);

    glGenSamplers(1, &m_nSampler);
    glBindSampler(0, m_nSampler);

    auto makeFbo = [&](GLuint& fbo, GLuint& color, GLuint* depth) -> bool {
        glGenFramebuffers(1, &fbo);
        glBindFramebuffer(GL_FRAMEBUFFER, fbo);
        glGenRenderbuffers(1, &color);
        glBindRenderbuffer(GL_RENDERBUFFER, color);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, kWidth, kHeight);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, color);
        if (depth) {
            glGenRenderbuffers(1, depth);
            glBindRenderbuffer(GL_RENDERBUFFER, *depth);
            glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, kWidth, kHeight);
            glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, *depth);
        }
        if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) return false;
        glClearColor(0, 0, 0, 1);
        glClearDepth(1.0);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glClear(GL_COLOR_BUFFER_BIT | (depth ? GL_DEPTH_BUFFER_BIT : 0));
        return true;
    };
    if (!makeFbo(m_nBackFbo, m_nBackColor, &m_nBackDepth) || !makeFbo(m_nWindowFbo, m_nWindowColor, nullptr)) {
        error = "framebuffer incomplete";
        return false;
    }
    ColourWrites();
    glDepthFunc(GL_LEQUAL);
    glDisable(GL_DITHER);
    glBindFramebuffer(GL_FRAMEBUFFER, m_nBackFbo);
    m_Batch.reserve(16384);
    m_BatchIndices.reserve(32768);
    if (glGetError() != GL_NO_ERROR) {
        error = "OpenGL error during set-up";
        return false;
    }
    m_bReady = true;
    return true;
}

CRenderTexture* CGlRenderer::CreateTexture(int width, int height, const uint32_t* pixels, bool mipmaps)
{
    if (width <= 0 || height <= 0 || width > 8192 || height > 8192) return nullptr;
    Flush();
    auto* t = new CGlTexture(width, height, false, mipmaps);
    glGenTextures(1, &t->m_nTex);
    glBindTexture(GL_TEXTURE_2D, t->m_nTex);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    std::vector<uint32_t> black;
    if (!pixels) {
        black.assign(static_cast<size_t>(width) * height, 0xFF000000u);
        pixels = black.data();
    }
    // One level until a draw samples the others (ApplyState): the driver then
    // allocates storage for the full-size level alone.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, pixels);
    UpdateCoverage(t, 0, 0, width, height, pixels);
    return t;
}

void CGlRenderer::UpdateTexture(CRenderTexture* tex, int x, int y, int width, int height, const uint32_t* pixels)
{
    if (!IsValidUpdate(tex, x, y, width, height, pixels)) return;
    auto* t = static_cast<CGlTexture*>(tex);
    Flush();
    glBindTexture(GL_TEXTURE_2D, t->m_nTex);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, width, height, GL_BGRA, GL_UNSIGNED_BYTE, pixels);
    if (t->m_bLevelsMade) glGenerateMipmap(GL_TEXTURE_2D);
    ForgetFlipped(t);
    UpdateCoverage(t, x, y, width, height, pixels);
}

bool CGlRenderer::CopyTexels(CRenderTexture* tex, int left, int top, int right, int bottom, int x, int y)
{
    auto* t = static_cast<CGlTexture*>(tex);
    const int w = right - left, h = bottom - top;
    // A copy ends the driver's batch of drawing so far: it pays for large
    // pictures only (the HUD's side panels), not for small pieces.
    constexpr int kLeastPixels = 16384;
    if (!m_bReady || m_pRenderTarget || !t || t->IsRenderTarget() || w * h < kLeastPixels || left < 0 || top < 0 ||
        right > t->Width() || bottom > t->Height() || x < 0 || y < 0 || x + w > kWidth || y + h > kHeight)
        return false;
    Flush();
    const int th = t->Height();
    if (!t->m_nFlipped) {
        // Flipped on the CPU, once: a flipping blit would have the driver build
        // a program of its own for it.
        const int tw = t->Width();
        std::vector<uint32_t> texels(static_cast<size_t>(tw) * th), flipped(texels.size());
        glBindTexture(GL_TEXTURE_2D, t->m_nTex);
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
        for (int row = 0; row < th; ++row)
            std::memcpy(&flipped[static_cast<size_t>(th - 1 - row) * tw], &texels[static_cast<size_t>(row) * tw],
                        sizeof(uint32_t) * tw);
        glGenTextures(1, &t->m_nFlipped);
        glBindTexture(GL_TEXTURE_2D, t->m_nFlipped);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, tw, th, 0, GL_RGBA, GL_UNSIGNED_BYTE, flipped.data());
        glGenFramebuffers(1, &t->m_nFlippedFbo);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, t->m_nFlippedFbo);
        glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, t->m_nFlipped, 0);
    }
    glBindFramebuffer(GL_READ_FRAMEBUFFER, t->m_nFlippedFbo);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, m_nBackFbo);
    glBlitFramebuffer(left, th - bottom, right, th - top, x, kHeight - y - h, x + w, kHeight - y, GL_COLOR_BUFFER_BIT,
                      GL_NEAREST);
    BindTarget();
    ++m_Stats.copies;
    return true;
}

CRenderTexture* CGlRenderer::CreateRenderTarget(int width, int height)
{
    if (width <= 0 || height <= 0 || width > 8192 || height > 8192) return nullptr;
    Flush();
    auto* t = new CGlTexture(width, height, true, false);
    glGenTextures(1, &t->m_nTex);
    glBindTexture(GL_TEXTURE_2D, t->m_nTex);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glGenRenderbuffers(1, &t->m_nDepth);
    glBindRenderbuffer(GL_RENDERBUFFER, t->m_nDepth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
    glGenFramebuffers(1, &t->m_nFbo);
    glBindFramebuffer(GL_FRAMEBUFFER, t->m_nFbo);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, t->m_nTex, 0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, t->m_nDepth);
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    if (complete) {
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glDisable(GL_SCISSOR_TEST);
        glClearColor(0, 0, 0, 1);
        glClearDepth(1.0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        ColourWrites();
    }
    BindTarget();
    if (!complete) {
        glDeleteFramebuffers(1, &t->m_nFbo);
        glDeleteRenderbuffers(1, &t->m_nDepth);
        glDeleteTextures(1, &t->m_nTex);
        delete t;
        return nullptr;
    }
    return t;
}

void CGlRenderer::ReleaseTexture(CRenderTexture* tex)
{
    if (!tex) return;
    Flush();
    if (m_pTexture == tex) SetTexture(nullptr);
    if (m_pRenderTarget == tex) SetRenderTarget(nullptr);
    auto* t = static_cast<CGlTexture*>(tex);
    if (t->m_nFbo) glDeleteFramebuffers(1, &t->m_nFbo);
    if (t->m_nDepth) glDeleteRenderbuffers(1, &t->m_nDepth);
    ForgetFlipped(t);
    glDeleteTextures(1, &t->m_nTex);
    delete t;
}

CRenderMesh* CGlRenderer::CreateMesh(const RVertex* vertices, int vertexCount, const uint16_t* indices,
                                     int indexCount, uint32_t format)
{
    if (!vertices || !indices || vertexCount <= 0 || indexCount <= 0) return nullptr;
    for (int i = 0; i < indexCount; ++i)
        if (indices[i] >= vertexCount) return nullptr;
    Flush();
    auto* m = new CGlMesh(vertices, vertexCount, indices, indexCount, format);
    glGenVertexArrays(1, &m->m_nVao);
    glBindVertexArray(m->m_nVao);
    glGenBuffers(1, &m->m_nVbo);
    glBindBuffer(GL_ARRAY_BUFFER, m->m_nVbo);
    glBufferData(GL_ARRAY_BUFFER, sizeof(RVertex) * vertexCount, vertices, GL_STATIC_DRAW);
    SetupVertexAttributes();
    glGenBuffers(1, &m->m_nIbo);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m->m_nIbo);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, sizeof(uint16_t) * indexCount, indices, GL_STATIC_DRAW);
    glBindVertexArray(m_nVao);
    glBindBuffer(GL_ARRAY_BUFFER, m_nStreamVbo);
    return m;
}

void CGlRenderer::ReleaseMesh(CRenderMesh* mesh)
{
    if (!mesh) return;
    Flush();
    auto* m = static_cast<CGlMesh*>(mesh);
    glDeleteVertexArrays(1, &m->m_nVao);
    glDeleteBuffers(1, &m->m_nVbo);
    glDeleteBuffers(1, &m->m_nIbo);
    glBindVertexArray(m_nVao);
    delete m;
}

void CGlRenderer::BindTarget()
{
    auto* t = static_cast<CGlTexture*>(m_pRenderTarget);
    glBindFramebuffer(GL_FRAMEBUFFER, t ? t->m_nFbo : m_nBackFbo);
}

void CGlRenderer::OnRenderTargetChanged() { BindTarget(); }

void CGlRenderer::Clear(bool color, bool depth, uint32_t argb, float z)
{
    if (!color && !depth) return;
    Flush();
    const int targetW = m_pRenderTarget ? m_pRenderTarget->Width() : kWidth;
    const int targetH = m_pRenderTarget ? m_pRenderTarget->Height() : kHeight;
    const SViewport& vp = m_Viewport;
    const bool whole = vp.x <= 0 && vp.y <= 0 && vp.x + vp.width >= targetW && vp.y + vp.height >= targetH;
    if (depth && !m_pRenderTarget) {
        // When no draw has written depth since the last whole clear to this same
        // value, the buffer already holds it everywhere: the clear changes nothing
        // (a whole one costs a pass over the buffer, a partial one a rectangle,
        // slow on a software rasteriser). The menus never write depth.
        if (!m_bBackDepthWritten && z == m_fBackDepth) {
            depth = false;
        } else if (whole) {
            m_bBackDepthWritten = false;
            m_fBackDepth = z;
        } else {
            m_bBackDepthWritten = true;  // part of it now holds another value
        }
        if (!color && !depth) return;
    }
    glEnable(GL_SCISSOR_TEST);
    glScissor(vp.x, targetH - vp.y - vp.height, vp.width, vp.height);
    float c[4];
    Unpack(argb, c);
    glClearColor(c[0], c[1], c[2], 1.0f);
    glClearDepth(z);
    glDepthMask(GL_TRUE);
    glClear((color ? GL_COLOR_BUFFER_BIT : 0) | (depth ? GL_DEPTH_BUFFER_BIT : 0));
    glDisable(GL_SCISSOR_TEST);
}

void CGlRenderer::AppendVertex(const RVertex& src, uint32_t format)
{
    RVertex v = src;
    if (!(format & FVF_XYZRHW) && !m_bWorldIdentity) {
        float p[4];
        TransformPoint4(m_CachedWorld, v.x, v.y, v.z, p);
        v.x = p[0];
        v.y = p[1];
        v.z = p[2];
        if (format & FVF_NORMAL) {
            const Vec3 n = TransformNormal(m_CachedWorldNormal, v.nx, v.ny, v.nz);
            v.nx = n.x;
            v.ny = n.y;
            v.nz = n.z;
        }
    }
    // Pre-transformed vertices have w = 1 / rhw.
    const float* c = m_BatchWColumn;
    const float w = (format & FVF_XYZRHW) ? v.rhw : v.x * c[0] + v.y * c[1] + v.z * c[2] + c[3];
    if (m_Batch.empty()) m_fBatchW = w;
    else if (!(w == m_fBatchW)) m_bBatchAffine = false;
    m_Batch.push_back(v);
    if (!m_BatchMaterials.empty()) m_BatchMaterials.push_back(CurrentMaterial());
}

bool CGlRenderer::IsLit(uint32_t format) const
{
    return !(format & FVF_XYZRHW) && m_State.render[static_cast<int>(ERenderState::Lighting)] != 0;
}

CGlRenderer::SVertexMaterial CGlRenderer::CurrentMaterial() const
{
    SVertexMaterial m;
    Copy4(m_State.material.diffuse, m.diffuse);
    Copy4(m_State.material.ambient, m.ambient);
    Copy4(m_State.material.emissive, m.emissive);
    return m;
}

void CGlRenderer::OnMaterialChanging()
{
    // The open batch keeps the material of its draws (m_BatchMaterial, or one
    // per vertex): a draw of another material may still join it.
}

void CGlRenderer::SubmitUP(EPrimitive type, int primCount, const RVertex* vertices, const uint16_t* indices,
                           int vertexCount, uint32_t format)
{
    if (!m_bReady) return;
    const int used = VertexCountFor(type, primCount);
    if (indices) {
        for (int i = 0; i < used; ++i)
            if (indices[i] >= vertexCount) return;  // damaged index data: draw nothing
    }
    EClass cls = EClass::Triangles;
    if (type == EPrimitive::PointList) cls = EClass::Points;
    else if (type == EPrimitive::LineList || type == EPrimitive::LineStrip) cls = EClass::Lines;

    if (!m_Batch.empty() && (cls != m_BatchClass || format != m_nBatchFormat)) Flush();
    if (m_Batch.empty()) {
        m_BatchClass = cls;
        m_nBatchFormat = format;
        m_BatchMaterial = CurrentMaterial();
        m_bBatchAffine = true;
        // Column 4 of view x projection gives each world-space vertex its clip w
        // (the depth remapping applied on the way changes only column 3).
        const Matrix vp = MultiplyMatrices(m_Transform[static_cast<int>(ETransform::View)],
                                           m_Transform[static_cast<int>(ETransform::Projection)]);
        for (int i = 0; i < 4; ++i) m_BatchWColumn[i] = vp.m[i][3];
    } else {
        ++m_Stats.batchedDraws;
        // Each lit vertex keeps the material it was drawn with, so draws that
        // differ only in their material (the segments of a laser streak, each a
        // shade of its own) stay one draw call. Each draw call whose constants
        // differ costs the software rasteriser a copy of its whole state (tens
        // of KiB) per frame. Unlit or pre-transformed vertices take nothing
        // from the material.
        if (m_BatchMaterials.empty() && IsLit(format)) {
            const SVertexMaterial now = CurrentMaterial();
            if (std::memcmp(&now, &m_BatchMaterial, sizeof now) != 0)
                m_BatchMaterials.assign(m_Batch.size(), m_BatchMaterial);
        }
    }

    const Matrix& world = m_Transform[static_cast<int>(ETransform::World)];
    if (!(format & FVF_XYZRHW) && std::memcmp(&world, &m_CachedWorld, sizeof world) != 0) {
        m_CachedWorld = world;
        m_bWorldIdentity = IsIdentityMatrix(world);
        m_CachedWorldNormal = NormalTransformMatrix(world);
    }

    // The caller's vertices go in once (moved into world space); the primitives
    // become an index list, so shared strip vertices are shaded once.
    const uint32_t base = static_cast<uint32_t>(m_Batch.size());
    const int unique = indices ? vertexCount : used;
    for (int i = 0; i < unique; ++i) AppendVertex(vertices[i], format);
    auto at = [&](int i) { return base + static_cast<uint32_t>(indices ? indices[i] : i); };
    auto& out = m_BatchIndices;
    switch (type) {
    case EPrimitive::PointList:
    case EPrimitive::LineList:
    case EPrimitive::TriangleList:
        for (int i = 0; i < used; ++i) out.push_back(at(i));
        break;
    case EPrimitive::LineStrip:
        for (int i = 0; i < primCount; ++i) {
            out.push_back(at(i));
            out.push_back(at(i + 1));
        }
        break;
    case EPrimitive::TriangleStrip:
        // Every other triangle of a strip is wound the other way round.
        for (int i = 0; i < primCount; ++i) {
            if (i % 2 == 0) {
                out.push_back(at(i));
                out.push_back(at(i + 1));
            } else {
                out.push_back(at(i + 1));
                out.push_back(at(i));
            }
            out.push_back(at(i + 2));
        }
        break;
    case EPrimitive::TriangleFan:
        for (int i = 0; i < primCount; ++i) {
            out.push_back(at(0));
            out.push_back(at(i + 1));
            out.push_back(at(i + 2));
        }
        break;
    }
    ++m_nBatchDraws;
}

bool CGlRenderer::ApplyState(uint32_t format, bool meshDraw, const float* diffuseAlpha, const SVertexMaterial* material)
{
    const SDeviceState& s = m_State;
    auto R = [&](ERenderState e) { return s.render[static_cast<int>(e)]; };
    const bool pre = (format & FVF_XYZRHW) != 0;
    const int targetW = m_pRenderTarget ? m_pRenderTarget->Width() : kWidth;
    const int targetH = m_pRenderTarget ? m_pRenderTarget->Height() : kHeight;

    if (R(ERenderState::ZEnable)) glEnable(GL_DEPTH_TEST);
    else glDisable(GL_DEPTH_TEST);
    glDepthMask(R(ERenderState::ZWriteEnable) ? GL_TRUE : GL_FALSE);
    if (!m_pRenderTarget && R(ERenderState::ZEnable) && R(ERenderState::ZWriteEnable)) m_bBackDepthWritten = true;
    if (R(ERenderState::AlphaBlendEnable)) {
        glEnable(GL_BLEND);
        glBlendFunc(BlendFactor(R(ERenderState::SrcBlend)), BlendFactor(R(ERenderState::DestBlend)));
    } else {
        glDisable(GL_BLEND);
    }
    // Front faces are the clockwise ones on screen; the cull mode names the winding
    // that is removed.
    switch (R(ERenderState::CullMode)) {
    case CULL_CCW:
        glEnable(GL_CULL_FACE);
        glFrontFace(GL_CW);
        glCullFace(GL_BACK);
        break;
    case CULL_CW:
        glEnable(GL_CULL_FACE);
        glFrontFace(GL_CCW);
        glCullFace(GL_BACK);
        break;
    default: glDisable(GL_CULL_FACE); break;
    }
    const uint32_t fill = R(ERenderState::FillMode);
    glPolygonMode(GL_FRONT_AND_BACK, fill == FILL_WIREFRAME ? GL_LINE : fill == FILL_POINT ? GL_POINT : GL_FILL);

    SFixedBlock u{};
    const SViewport& vp = m_Viewport;
    if (pre) {
        glViewport(0, 0, targetW, targetH);
        glDepthRange(0.0, 1.0);
        // Pixels to clip space (top-left origin, depth = z).
        Matrix p = IdentityMatrix();
        p.m[0][0] = 2.0f / targetW;
        p.m[1][1] = -2.0f / targetH;
        p.m[2][2] = 2.0f;
        p.m[3][0] = -1.0f;
        p.m[3][1] = 1.0f;
        p.m[3][2] = -1.0f;
        CopyMatrix(IdentityMatrix(), u.mv);
        CopyMatrix(p, u.proj);
        // Pixel centres of pre-transformed geometry sit on whole coordinates; the shift
        // of 63/128 pixel keeps every centre strictly inside or outside an edge, so
        // coverage follows the top-left rule without depending on tie breaking.
        u.pixelFix[0] = (63.0f / 64.0f) / targetW;
        u.pixelFix[1] = -(63.0f / 64.0f) / targetH;
    } else {
        glViewport(vp.x, targetH - vp.y - vp.height, vp.width, vp.height);
        glDepthRange(vp.minZ, vp.maxZ);
        const Matrix& view = m_Transform[static_cast<int>(ETransform::View)];
        const Matrix mv = meshDraw ? MultiplyMatrices(m_Transform[static_cast<int>(ETransform::World)], view) : view;
        // Depth 0..1 of the original clip space to OpenGL's -1..1: z' = 2z - w.
        Matrix zfix = IdentityMatrix();
        zfix.m[2][2] = 2.0f;
        zfix.m[3][2] = -1.0f;
        const Matrix proj = MultiplyMatrices(m_Transform[static_cast<int>(ETransform::Projection)], zfix);
        CopyMatrix(mv, u.mv);
        CopyMatrix(proj, u.proj);
        const Matrix n = NormalTransformMatrix(mv);
        for (int col = 0; col < 3; ++col)
            for (int row = 0; row < 3; ++row) u.normal[col * 4 + row] = n.m[col][row];
        // Pixel centres of transformed geometry sit on whole coordinates too: half a
        // pixel to the right and down.
        u.pixelFix[0] = 1.0f / vp.width;
        u.pixelFix[1] = -1.0f / vp.height;
        // The light's direction is given in world space.
        const Vec3& d = s.light.direction;
        Vec3 l = TransformNormal(view, -d.x, -d.y, -d.z);
        const float len = std::sqrt(l.x * l.x + l.y * l.y + l.z * l.z);
        if (len > 0.0f) l = {l.x / len, l.y / len, l.z / len};
        u.lightDir[0] = l.x;
        u.lightDir[1] = l.y;
        u.lightDir[2] = l.z;
    }
    Copy4(s.light.diffuse, u.lightDiffuse);
    Copy4(s.light.ambient, u.lightAmbient);
    Unpack(R(ERenderState::Ambient), u.globalAmbient);
    Unpack(R(ERenderState::FogColor), u.fogColor);
    u.params[0] = GetRenderStateF(ERenderState::FogStart);
    u.params[1] = GetRenderStateF(ERenderState::FogEnd);
    u.params[2] = static_cast<float>(R(ERenderState::AlphaRef) & 0xFF);
    u.flags0[0] = pre ? 1 : 0;
    u.flags0[1] = (format & FVF_NORMAL) ? 1 : 0;
    u.flags0[2] = (format & FVF_DIFFUSE) ? 1 : 0;
    u.flags0[3] = R(ERenderState::ColorVertex) ? 1 : 0;
    u.flags1[0] = R(ERenderState::Lighting) ? 1 : 0;
    u.flags1[1] = s.light.enabled ? 1 : 0;
    u.flags1[2] = (!pre && R(ERenderState::FogEnable)) ? 1 : 0;
    auto* tex = static_cast<CGlTexture*>(m_pTexture);
    u.flags1[3] = tex ? 1 : 0;
    auto T = [&](EStageState e) { return static_cast<int32_t>(s.stage[static_cast<int>(e)]); };
    u.ops0[0] = T(EStageState::ColorOp);
    u.ops0[1] = T(EStageState::ColorArg1);
    u.ops0[2] = T(EStageState::ColorArg2);
    u.ops0[3] = T(EStageState::AlphaOp);
    u.ops1[0] = T(EStageState::AlphaArg1);
    u.ops1[1] = T(EStageState::AlphaArg2);
    u.ops1[2] = R(ERenderState::AlphaTestEnable) ? static_cast<int32_t>(R(ERenderState::AlphaFunc))
                                                 : static_cast<int32_t>(CMP_ALWAYS);

    SShaderKey key;
    key.pre = pre;
    key.lighting = IsLit(format);
    if (key.lighting) {
        key.lightOn = s.light.enabled;
        key.hasNormal = (format & FVF_NORMAL) != 0;
        key.vertexDiffuse = (format & FVF_DIFFUSE) != 0 && R(ERenderState::ColorVertex) != 0;
    } else {
        key.hasDiffuse = (format & FVF_DIFFUSE) != 0;
    }
    key.fog = u.flags1[2] != 0;
    key.tex = tex && u.ops0[0] != TOP_DISABLE;
    if (key.tex) {
        key.colorOp = static_cast<uint32_t>(u.ops0[0]);
        key.colorArg1 = static_cast<uint32_t>(u.ops0[1]);
        key.colorArg2 = static_cast<uint32_t>(u.ops0[2]);
        key.alphaOp = static_cast<uint32_t>(u.ops0[3]);
        key.alphaArg1 = static_cast<uint32_t>(u.ops1[0]);
        key.alphaArg2 = static_cast<uint32_t>(u.ops1[1]);
    }
    key.alphaFunc = static_cast<uint32_t>(u.ops1[2]);
    key.affine = !meshDraw && m_bBatchAffine;
    const uint32_t packed = key.Pack();
    auto it = m_Programs.find(packed);
    GLuint program = 0;
    if (it != m_Programs.end()) {
        program = it->second;
    } else {
        std::string error;
        program = ProgramFor(packed, key.Defines(), error);
    }
    if (!program) return false;
    if (program != m_nCurrentProgram) {
        glUseProgram(program);
        m_nCurrentProgram = program;
    }
    glBindBuffer(GL_UNIFORM_BUFFER, m_nUbo);
    glBufferSubData(GL_UNIFORM_BUFFER, 0, sizeof u, &u);
    if (key.lighting) {
        SVertexMaterial m = material ? *material : CurrentMaterial();
        if (diffuseAlpha) m.diffuse[3] = *diffuseAlpha;
        glVertexAttrib4fv(4, m.diffuse);
        glVertexAttrib4fv(5, m.ambient);
        glVertexAttrib4fv(6, m.emissive);
    }

    if (tex) {
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, tex->m_nTex);
        auto S = [&](ESamplerState e) { return s.sampler[static_cast<int>(e)]; };
        auto wrap = [](uint32_t a) {
            return a == TADDRESS_CLAMP ? GL_CLAMP_TO_EDGE : a == TADDRESS_MIRROR ? GL_MIRRORED_REPEAT : GL_REPEAT;
        };
        glSamplerParameteri(m_nSampler, GL_TEXTURE_WRAP_S, wrap(S(ESamplerState::AddressU)));
        glSamplerParameteri(m_nSampler, GL_TEXTURE_WRAP_T, wrap(S(ESamplerState::AddressV)));
        const bool magLinear = S(ESamplerState::MagFilter) == TEXF_LINEAR;
        const bool minLinear = S(ESamplerState::MinFilter) == TEXF_LINEAR;
        glSamplerParameteri(m_nSampler, GL_TEXTURE_MAG_FILTER, magLinear ? GL_LINEAR : GL_NEAREST);
        GLint minFilter = minLinear ? GL_LINEAR : GL_NEAREST;
        const uint32_t mip = S(ESamplerState::MipFilter);
        if (tex->HasMipmaps() && mip != TEXF_NONE) {
            if (!tex->m_bLevelsMade) {
                glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 1000);
                glGenerateMipmap(GL_TEXTURE_2D);
                tex->m_bLevelsMade = true;
            }
            if (mip == TEXF_LINEAR) minFilter = minLinear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
            else minFilter = minLinear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
        }
        glSamplerParameteri(m_nSampler, GL_TEXTURE_MIN_FILTER, minFilter);
    }
    return true;
}

void CGlRenderer::Flush()
{
    if (m_Batch.empty()) return;
    const bool materials = !m_BatchMaterials.empty();
    if (ApplyState(m_nBatchFormat, false, nullptr, &m_BatchMaterial)) {
        glBindVertexArray(m_nVao);
        glBindBuffer(GL_ARRAY_BUFFER, m_nStreamVbo);
        const size_t vertexAt = StreamWrite(GL_ARRAY_BUFFER, m_nStreamCapacity, m_nStreamOffset, m_Batch.data(),
                                            m_Batch.size() * sizeof(RVertex));
        const size_t indexAt = StreamWrite(GL_ELEMENT_ARRAY_BUFFER, m_nIndexCapacity, m_nIndexOffset,
                                           m_BatchIndices.data(), m_BatchIndices.size() * sizeof(uint32_t));
        const GLenum mode = m_BatchClass == EClass::Points ? GL_POINTS
                            : m_BatchClass == EClass::Lines ? GL_LINES
                                                            : GL_TRIANGLES;
        const GLsizei count = static_cast<GLsizei>(m_BatchIndices.size());
        if (materials) {
            // The materials sit in a stream of their own, so both streams are
            // addressed from this batch's start instead of by a base vertex.
            glBindBuffer(GL_ARRAY_BUFFER, m_nMaterialVbo);
            const size_t materialAt = StreamWrite(GL_ARRAY_BUFFER, m_nMaterialCapacity, m_nMaterialOffset,
                                                  m_BatchMaterials.data(),
                                                  m_BatchMaterials.size() * sizeof(SVertexMaterial));
            SetupMaterialAttributes(true, materialAt);
            glBindBuffer(GL_ARRAY_BUFFER, m_nStreamVbo);
            SetupVertexAttributes(vertexAt);
            glDrawElements(mode, count, GL_UNSIGNED_INT, reinterpret_cast<void*>(indexAt));
            SetupVertexAttributes();
            SetupMaterialAttributes(false);
        } else {
            glDrawElementsBaseVertex(mode, count, GL_UNSIGNED_INT, reinterpret_cast<void*>(indexAt),
                                     static_cast<GLint>(vertexAt / sizeof(RVertex)));
        }
        ++m_Stats.drawCalls;
    }
    m_Batch.clear();
    m_BatchIndices.clear();
    m_BatchMaterials.clear();
    m_nBatchDraws = 0;
    m_BatchClass = EClass::None;
}

size_t CGlRenderer::StreamWrite(unsigned target, size_t& capacity, size_t& offset, const void* data, size_t bytes)
{
    // Batches are appended one after another and each region is written once;
    // only when the buffer is full does it get fresh storage (orphaning), so no
    // write ever waits for a draw still reading, and the driver allocates (and
    // clears) storage once every many frames instead of at every draw call.
    if (offset + bytes > capacity) {
        while (capacity < bytes) capacity *= 2;
        glBufferData(target, static_cast<GLsizeiptr>(capacity), nullptr, GL_STREAM_DRAW);
        offset = 0;
    }
    const size_t at = offset;
    void* dst = glMapBufferRange(target, static_cast<GLintptr>(at), static_cast<GLsizeiptr>(bytes),
                                 GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_RANGE_BIT | GL_MAP_UNSYNCHRONIZED_BIT);
    if (dst) {
        std::memcpy(dst, data, bytes);
        glUnmapBuffer(target);
    } else {
        glBufferSubData(target, static_cast<GLintptr>(at), static_cast<GLsizeiptr>(bytes), data);
    }
    // Regions follow one another without gaps, so vertex regions start on whole
    // vertices (the draw names its first vertex by number).
    offset = at + bytes;
    return at;
}

void CGlRenderer::Finish()
{
    Flush();
    if (m_bReady) glFinish();
}

CGlRenderer::EEdges CGlRenderer::EdgesFor(uint32_t format, float& alpha) const
{
    auto R = [&](ERenderState e) { return m_State.render[static_cast<int>(e)]; };
    auto T = [&](EStageState e) { return m_State.stage[static_cast<int>(e)]; };
    alpha = 1.0f;
    // Culling removes the edges of triangles that turn away, one by one.
    if (R(ERenderState::CullMode) != CULL_NONE) return EEdges::None;
    // Without blending a second draw of a line writes what the first wrote.
    if (!R(ERenderState::AlphaBlendEnable)) return EEdges::Ordered;
    if (R(ERenderState::SrcBlend) != BLEND_SRCALPHA || R(ERenderState::DestBlend) != BLEND_INVSRCALPHA ||
        R(ERenderState::AlphaTestEnable))
        return EEdges::None;
    // The alpha must be one for the whole mesh: not the texture's, not the vertices'.
    const uint32_t op = T(EStageState::AlphaOp);
    const bool arg1 = T(EStageState::AlphaArg1) == TA_TEXTURE, arg2 = T(EStageState::AlphaArg2) == TA_TEXTURE;
    const bool textureAlpha = m_pTexture && T(EStageState::ColorOp) != TOP_DISABLE &&
                              ((op == TOP_SELECTARG1 && arg1) || (op == TOP_SELECTARG2 && arg2) ||
                               (op == TOP_MODULATE && (arg1 || arg2)));
    const bool lit = IsLit(format);
    const bool vertexAlpha = (format & FVF_DIFFUSE) && (!lit || R(ERenderState::ColorVertex));
    if (textureAlpha || vertexAlpha) return EEdges::None;
    alpha = lit ? m_State.material.diffuse.a : 1.0f;
    // Opaque (or invisible) lines blend alike however often they are drawn.
    // See-through ones drawn by k triangles blended k times: the depth test
    // (less or equal) passes the same line at the same depth again.
    return alpha > 0.0f && alpha < 1.0f ? EEdges::Grouped : EEdges::Ordered;
}

bool CGlRenderer::IsUnseen(const SBox& box) const
{
    const SViewport& vp = m_Viewport;
    if (vp.width <= 0 || vp.height <= 0) return false;
    const Matrix wvp = MultiplyMatrices(MultiplyMatrices(m_Transform[static_cast<int>(ETransform::World)],
                                                         m_Transform[static_cast<int>(ETransform::View)]),
                                        m_Transform[static_cast<int>(ETransform::Projection)]);
    // Four pixels of room on every side (a clip unit is half the viewport).
    return IsOutsideView(wvp, box, 8.0f / static_cast<float>(vp.width), 8.0f / static_cast<float>(vp.height));
}

void CGlRenderer::SubmitMesh(CRenderMesh* mesh, int firstIndex, int triangleCount)
{
    if (!m_bReady) return;
    Flush();
    auto* m = static_cast<CGlMesh*>(mesh);
    CGlMesh::SRange& range = m->Range(firstIndex, triangleCount);
    if (IsUnseen(range.box)) {
        ++m_Stats.unseenDraws;
        return;
    }
    // A wireframe is drawn as the list of its edges, each edge once: a software
    // rasteriser turns unfilled triangles into lines in its slowest stage, and
    // draws an edge shared by two triangles twice.
    float alpha = 1.0f;
    const bool wireframe = m_State.render[static_cast<int>(ERenderState::FillMode)] == FILL_WIREFRAME;
    const EEdges edges = wireframe ? EdgesFor(m->Format(), alpha) : EEdges::None;
    const uint32_t format = m->Format() & ~FVF_XYZRHW;
    glBindVertexArray(m->m_nVao);
    if (edges != EEdges::None && m->AddEdges(range)) {
        const std::vector<uint16_t>& indices = m->Indices();
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(uint16_t)),
                     indices.data(), GL_STATIC_DRAW);
    }
    auto draw = [&](GLenum mode, int first, int count) {
        glDrawElements(mode, count, GL_UNSIGNED_SHORT,
                       reinterpret_cast<void*>(static_cast<uintptr_t>(first) * sizeof(uint16_t)));
        ++m_Stats.drawCalls;
    };
    if (edges == EEdges::None) {
        if (ApplyState(format, true)) draw(GL_TRIANGLES, firstIndex, triangleCount * 3);
    } else if (edges == EEdges::Ordered) {
        if (ApplyState(format, true)) draw(GL_LINES, range.orderedAt, range.orderedCount);
        m_Stats.lines += range.orderedCount / 2;
    } else {
        for (const SMeshEdges::SRun& run : range.runs) {
            const float once = RepeatedAlpha(alpha, run.shared);
            if (ApplyState(format, true, &once)) draw(GL_LINES, range.groupedAt + run.first, run.count);
            m_Stats.lines += run.count / 2;
        }
    }
    glBindVertexArray(m_nVao);
}

void CGlRenderer::Present(int dx, int dy)
{
    if (!m_bReady) return;
    Flush();
    glDisable(GL_SCISSOR_TEST);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_nBackFbo);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, m_nWindowFbo);
    // The destination rectangle is (dx, dy) - (640 + dx, 480 + dy) from the top left;
    // what falls outside is lost and the strips left uncovered keep the last picture.
    glBlitFramebuffer(0, 0, kWidth, kHeight, dx, -dy, kWidth + dx, kHeight - dy, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    if (m_bSurfaceShown) {
        Composite();
        if (m_pSurface) m_pSurface->SwapBuffers();
    }
    BindTarget();
}

void CGlRenderer::Composite()
{
    if (!m_pSurface) return;
    int w = kWidth, h = kHeight;
    m_pSurface->GetDrawableSize(w, h);
    if (w <= 0 || h <= 0) return;  // minimised
    const SLetterbox box = ComputeLetterbox(w, h);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_nWindowFbo);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    // Black bars only where the picture does not cover the surface.
    if (box.width != w || box.height != h) {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    const int x0 = box.x;
    const int y0 = h - box.y - box.height;
    glBlitFramebuffer(0, 0, kWidth, kHeight, x0, y0, x0 + box.width, y0 + box.height, GL_COLOR_BUFFER_BIT,
                      box.whole ? GL_NEAREST : GL_LINEAR);
}

bool CGlRenderer::ReadFramebuffer(unsigned fbo, int width, int height, std::vector<uint32_t>& out, bool opaque)
{
    glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    std::vector<uint32_t> raw(static_cast<size_t>(width) * height);
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, raw.data());
    out.resize(raw.size());
    // OpenGL rows run bottom up.
    for (int y = 0; y < height; ++y)
        std::memcpy(&out[static_cast<size_t>(y) * width], &raw[static_cast<size_t>(height - 1 - y) * width],
                    sizeof(uint32_t) * width);
    if (opaque)
        for (uint32_t& p : out) p |= 0xFF000000u;
    BindTarget();
    return glGetError() == GL_NO_ERROR;
}

bool CGlRenderer::ReadBackBuffer(std::vector<uint32_t>& out)
{
    if (!m_bReady) return false;
    Flush();
    return ReadFramebuffer(m_nBackFbo, kWidth, kHeight, out, true);
}

bool CGlRenderer::ReadPresented(std::vector<uint32_t>& out)
{
    if (!m_bReady) return false;
    Flush();
    return ReadFramebuffer(m_nWindowFbo, kWidth, kHeight, out, true);
}

bool CGlRenderer::CompositeAndReadSurface(std::vector<uint32_t>& out, int& width, int& height)
{
    if (!m_bReady || !m_pSurface) return false;
    Flush();
    m_pSurface->GetDrawableSize(width, height);
    Composite();
    return ReadFramebuffer(0, width, height, out, true);
}
