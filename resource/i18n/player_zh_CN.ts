<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>AVFilterConfigPage</name>
    <message>
        <source>Video</source>
        <translation>视频</translation>
    </message>
    <message>
        <source>Audio</source>
        <translation>音频</translation>
    </message>
    <message>
        <source>Enable</source>
        <translation>启用</translation>
    </message>
    <message>
        <source>Registered</source>
        <translation>已注册的</translation>
    </message>
    <message>
        <source>filters</source>
        <translation>滤镜</translation>
    </message>
    <message>
        <source>Parameters</source>
        <translation>参数</translation>
    </message>
</context>
<context>
    <name>AVFormatConfigPage</name>
    <message>
        <source>Enable</source>
        <translation>启用</translation>
    </message>
    <message>
        <source>options</source>
        <translation>选项</translation>
    </message>
    <message>
        <source>Reduce buffering</source>
        <translation>减少缓冲</translation>
    </message>
    <message>
        <source>0: auto</source>
        <translation>0：自动</translation>
    </message>
    <message>
        <source>Probe size</source>
        <translation>探测大小</translation>
    </message>
    <message>
        <source>0: auto. how many microseconds are analyzed to probe the input</source>
        <translation>0：自动。探测输入时分析的微秒数</translation>
    </message>
    <message>
        <source>Max analyze duration</source>
        <translation>最长分析时长</translation>
    </message>
    <message>
        <source>Extra</source>
        <translation>其他</translation>
    </message>
    <message>
        <source>AVFormat</source>
        <translation>AVFormat</translation>
    </message>
</context>
<context>
    <name>AvPlayer</name>
    <message>
        <source>Video renderer is </source>
        <translation>视频渲染器</translation>
    </message>
    <message>
        <source>not availabe on your platform!</source>
        <translation>在此平台上不可用！</translation>
    </message>
    <message>
        <source>Can not use this renderer</source>
        <translation>无法使用此渲染器</translation>
    </message>
    <message>
        <source>Player error</source>
        <translation>播放器错误</translation>
    </message>
</context>
<context>
    <name>CaptureConfigPage</name>
    <message>
        <source>Browse</source>
        <translation>浏览</translation>
    </message>
    <message>
        <source>Save dir</source>
        <translation>保存目录</translation>
    </message>
    <message>
        <source>Save format</source>
        <translation>保存格式</translation>
    </message>
    <message>
        <source>Quality</source>
        <translation>质量</translation>
    </message>
    <message>
        <source>Capture</source>
        <translation>截图</translation>
    </message>
</context>
<context>
    <name>ConfigDialog</name>
    <message>
        <source>Setup</source>
        <translation>设置</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>重置</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>应用</translation>
    </message>
</context>
<context>
    <name>DecoderConfigPage</name>
    <message>
        <source>Video decoder config page</source>
        <translation>视频解码器设置页</translation>
    </message>
    <message>
        <source>Decoder</source>
        <translation>解码器</translation>
    </message>
    <message>
        <source>Priorities</source>
        <translation>优先级</translation>
    </message>
    <message>
        <source>reopen is required</source>
        <translation>需要重新打开</translation>
    </message>
    <message>
        <source>Up</source>
        <translation>上移</translation>
    </message>
    <message>
        <source>Down</source>
        <translation>下移</translation>
    </message>
</context>
<context>
    <name>MiscPage</name>
    <message>
        <source>Preview</source>
        <translation>预览</translation>
    </message>
    <message>
        <source>size</source>
        <translation>大小</translation>
    </message>
    <message>
        <source>Ignore</source>
        <translation>忽略</translation>
    </message>
    <message>
        <source>Force fps</source>
        <translation>强制帧率</translation>
    </message>
    <message>
        <source>Progress update interval</source>
        <translation>进度更新间隔</translation>
    </message>
    <message>
        <source>Buffer frames</source>
        <translation>缓冲帧数</translation>
    </message>
    <message>
        <source>Abort</source>
        <translation>中止</translation>
    </message>
    <message>
        <source>Timeout</source>
        <translation>超时</translation>
    </message>
    <message>
        <source>s</source>
        <translation>秒</translation>
    </message>
    <message>
        <source>Windows only</source>
        <translation>仅限 Windows</translation>
    </message>
    <message>
        <source>OpenGLES is Used by DXVA Zero Copy</source>
        <translation>DXVA 零拷贝使用 OpenGLES</translation>
    </message>
    <message>
        <source>D3D9 has performance if ZeroCopy is disabled or for software decoders</source>
        <translation>关闭零拷贝或使用软件解码时，D3D9 性能更好</translation>
    </message>
    <message>
        <source>RESTART REQUIRED</source>
        <translation>需要重新启动</translation>
    </message>
    <message>
        <source>OpenGL type</source>
        <translation>OpenGL 类型</translation>
    </message>
    <message>
        <source>Currently only works for Qt&gt;=5.5 XCB build</source>
        <translation>目前仅适用于 Qt&gt;=5.5 的 XCB 版本</translation>
    </message>
    <message>
        <source>Misc</source>
        <translation>其他</translation>
    </message>
</context>
<context>
    <name>ShaderPage</name>
    <message>
        <source>Enable</source>
        <translation>启用</translation>
    </message>
    <message>
        <source>Intermediate FBO</source>
        <translation>中间帧缓冲</translation>
    </message>
    <message>
        <source>Fragment shader header</source>
        <translation>片段着色器头部</translation>
    </message>
    <message>
        <source>Additional header code</source>
        <translation>附加的头部代码</translation>
    </message>
    <message>
        <source>Fragment shader texel sample function</source>
        <translation>片段着色器纹素采样函数</translation>
    </message>
    <message>
        <source>Shader</source>
        <translation>着色器</translation>
    </message>
</context>
<context>
    <name>VideoEQConfigPage</name>
    <message>
        <source>Engine</source>
        <translation>引擎</translation>
    </message>
    <message>
        <source>Brightness</source>
        <translation>亮度</translation>
    </message>
    <message>
        <source>Constrast</source>
        <translation>对比度</translation>
    </message>
    <message>
        <source>Hue</source>
        <translation>色调</translation>
    </message>
    <message>
        <source>Saturation</source>
        <translation>饱和度</translation>
    </message>
    <message>
        <source>Global</source>
        <translation>全局</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>重置</translation>
    </message>
</context>
<context>
    <name>plxav::AVPlayer</name>
    <message>
        <source>Can not open %1: %2</source>
        <translation>无法打开 %1：%2</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1：%2</translation>
    </message>
</context>
<context>
    <name>plxav::FFmpegDecoderDescriptor</name>
    <message>
        <source>Decoding threads; 0: as many as the processor has</source>
        <translation>解码线程数；0：与处理器核数相同</translation>
    </message>
    <message>
        <source>Frames whose deblocking filter is skipped: faster, but blockier</source>
        <translation>跳过去块滤波的帧：更快，但块效应更明显</translation>
    </message>
    <message>
        <source>Frames whose inverse transform is skipped</source>
        <translation>跳过反变换的帧</translation>
    </message>
    <message>
        <source>Frames that are not decoded at all</source>
        <translation>完全不解码的帧</translation>
    </message>
    <message>
        <source>Speed-ups that do not follow the standard exactly</source>
        <translation>不完全遵循标准的加速</translation>
    </message>
    <message>
        <source>Software decoding by FFmpeg: every format, on every machine</source>
        <translation>FFmpeg 软件解码：支持所有格式和所有机器</translation>
    </message>
</context>
<context>
    <name>plxav::HardwareDecoderDescriptor</name>
    <message>
        <source>ZeroCopy: pictures stay in video memory (OpenGL renderers only)
CopyBack: pictures are copied to main memory, for every renderer</source>
        <translation>ZeroCopy：画面留在显存中（仅 OpenGL 渲染器）
CopyBack：画面复制到内存，适用于所有渲染器</translation>
    </message>
    <message>
        <source>Hardware decoding through VA-API (Intel and AMD graphics)</source>
        <translation>通过 VA-API 硬件解码（Intel 和 AMD 显卡）</translation>
    </message>
    <message>
        <source>Hardware decoding through VDPAU (NVIDIA and older AMD graphics)</source>
        <translation>通过 VDPAU 硬件解码（NVIDIA 和较旧的 AMD 显卡）</translation>
    </message>
    <message>
        <source>Hardware decoding through NVDEC (NVIDIA graphics)</source>
        <translation>通过 NVDEC 硬件解码（NVIDIA 显卡）</translation>
    </message>
</context>
</TS>
