<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>HelpDialog</name>
    <message>
        <source>使用说明</source>
        <translation>User Guide</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>AnalysisHelperWidget</name>
    <message>
        <source>滤波器类型：</source>
        <translation>Window:</translation>
    </message>
    <message>
        <source>布莱克曼窗</source>
        <translation>Blackman</translation>
    </message>
    <message>
        <source>汉明窗</source>
        <translation>Hamming</translation>
    </message>
    <message>
        <source>汉宁窗</source>
        <translation>Hann</translation>
    </message>
    <message>
        <source>三角窗</source>
        <translation>Triangular</translation>
    </message>
    <message>
        <source>矩形窗</source>
        <translation>Rectangular</translation>
    </message>
    <message>
        <source>下限截止频率(Hz)：</source>
        <translation>Low cut-off (Hz):</translation>
    </message>
    <message>
        <source>上限截止频率(Hz)：</source>
        <translation>High cut-off (Hz):</translation>
    </message>
    <message>
        <source>滤波阶数：</source>
        <translation>Filter order:</translation>
    </message>
    <message>
        <source>主频(Hz)：</source>
        <translation>Main freq. (Hz):</translation>
    </message>
    <message>
        <source>应用到当前波形</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>应用到所有波形</source>
        <translation>Apply to all</translation>
    </message>
    <message>
        <source>波形背景色：</source>
        <translation>Background:</translation>
    </message>
    <message>
        <source>白色</source>
        <translation>White</translation>
    </message>
    <message>
        <source>黑色</source>
        <translation>Black</translation>
    </message>
    <message>
        <source>手动增益：</source>
        <translation>Manual gain:</translation>
    </message>
    <message>
        <source>波形序号：</source>
        <translation>Wave no.:</translation>
    </message>
    <message>
        <source>波形往前移</source>
        <translation>Move up</translation>
    </message>
    <message>
        <source>波形往后移</source>
        <translation>Move down</translation>
    </message>
    <message>
        <source>上一个波形</source>
        <translation>Previous</translation>
    </message>
    <message>
        <source>下一个波形</source>
        <translation>Next</translation>
    </message>
    <message>
        <source>清除当前标记</source>
        <translation>Clear mark</translation>
    </message>
    <message>
        <source>波形填充</source>
        <translation>Fill waves</translation>
    </message>
    <message>
        <source>下限截止频率“%1”无效，请输入大于0且小于%2的整数！</source>
        <translation>Low cut-off frequency &quot;%1&quot; is invalid: enter a whole number greater than 0 and less than %2.</translation>
    </message>
    <message>
        <source>上限截止频率“%1”无效，请输入大于0且小于%2的整数！</source>
        <translation>High cut-off frequency &quot;%1&quot; is invalid: enter a whole number greater than 0 and less than %2.</translation>
    </message>
    <message>
        <source>滤波阶数“%1”无效，请输入%2到%3之间的整数！</source>
        <translation>Filter order &quot;%1&quot; is invalid: enter a whole number from %2 to %3.</translation>
    </message>
    <message>
        <source>手动增益“%1”无效，请输入大于0的数值！</source>
        <translation>Manual gain &quot;%1&quot; is invalid: enter a number greater than 0.</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>采纳建议</source>
        <translation>Accept</translation>
    </message>
</context>
<context>
    <name>BatchOutputDialog</name>
    <message>
        <source>批量输出</source>
        <translation>Batch Output</translation>
    </message>
    <message>
        <source>表中全部（%1 个）</source>
        <translation>All in the table (%1)</translation>
    </message>
    <message>
        <source>选中的行（%1 个）</source>
        <translation>Selected rows (%1)</translation>
    </message>
    <message>
        <source>PDF</source>
        <translation>PDF</translation>
    </message>
    <message>
        <source>Word</source>
        <translation>Word</translation>
    </message>
    <message>
        <source>图片</source>
        <translation>Image</translation>
    </message>
    <message>
        <source>浏览…</source>
        <translation>Browse...</translation>
    </message>
    <message>
        <source>覆盖已有文件</source>
        <translation>Replace existing files</translation>
    </message>
    <message>
        <source>开始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>测量文件：</source>
        <translation>Surveys:</translation>
    </message>
    <message>
        <source>输出格式：</source>
        <translation>Format:</translation>
    </message>
    <message>
        <source>输出文件夹：</source>
        <translation>Output folder:</translation>
    </message>
    <message>
        <source>选择输出文件夹</source>
        <translation>Choose Output Folder</translation>
    </message>
    <message>
        <source>没有要输出的测量文件</source>
        <translation>No surveys to output</translation>
    </message>
    <message>
        <source>无法使用输出文件夹 %1</source>
        <translation>Cannot use the output folder %1</translation>
    </message>
    <message>
        <source>正在输出…</source>
        <translation>Writing reports...</translation>
    </message>
    <message>
        <source>正在取消：正在输出的报告完成后停止…</source>
        <translation>Cancelling: stopping once the reports under way are done...</translation>
    </message>
    <message>
        <source>已完成 %1 / %2</source>
        <translation>Done %1 / %2</translation>
    </message>
    <message>
        <source>已输出：%1</source>
        <translation>Written: %1</translation>
    </message>
    <message>
        <source>已输出：%1（%2）</source>
        <translation>Written: %1 (%2)</translation>
    </message>
    <message>
        <source>已存在，未覆盖：%1</source>
        <translation>Exists, kept: %1</translation>
    </message>
    <message>
        <source>失败：%1：%2</source>
        <translation>Failed: %1: %2</translation>
    </message>
    <message>
        <source>已取消：%1</source>
        <translation>Cancelled: %1</translation>
    </message>
    <message>
        <source>输出 %1 个，保留 %2 个，失败 %3 个，取消 %4 个</source>
        <translation>%1 written, %2 kept, %3 failed, %4 cancelled</translation>
    </message>
</context>
<context>
    <name>DocxPackage</name>
    <message>
        <source>无法读回</source>
        <translation>cannot be read back</translation>
    </message>
    <message>
        <source>无法读回 %1</source>
        <translation>%1 cannot be read back</translation>
    </message>
    <message>
        <source>%1 校验失败</source>
        <translation>%1 fails its checksum</translation>
    </message>
    <message>
        <source>应有 %1 个部分，读回 %2 个</source>
        <translation>%1 parts expected, %2 read back</translation>
    </message>
    <message>
        <source>找不到模板文件 %1</source>
        <translation>Template file %1 not found</translation>
    </message>
    <message>
        <source>模板 %1 不是普通文件</source>
        <translation>The template %1 is not a regular file</translation>
    </message>
    <message>
        <source>无法读取模板 %1：%2</source>
        <translation>Cannot read the template %1: %2</translation>
    </message>
    <message>
        <source>模板 %1 不是有效的文档包</source>
        <translation>The template %1 is not a valid document package</translation>
    </message>
    <message>
        <source>无法读取模板中的 %1</source>
        <translation>Cannot read %1 in the template</translation>
    </message>
    <message>
        <source>模板 %1 过大</source>
        <translation>The template %1 is too large</translation>
    </message>
    <message>
        <source>模板中的 %1 过大</source>
        <translation>%1 in the template is too large</translation>
    </message>
    <message>
        <source>模板缺少 [Content_Types].xml</source>
        <translation>The template lacks [Content_Types].xml</translation>
    </message>
    <message>
        <source>无法生成文档包 %1</source>
        <translation>Cannot create the document package %1</translation>
    </message>
    <message>
        <source>文档包不完整：%1</source>
        <translation>The document package is incomplete: %1</translation>
    </message>
</context>
<context>
    <name>DocxWordServer</name>
    <message>
        <source>模板 %1 的主文档类型无法识别</source>
        <translation>The main document type of the template %1 is not recognised</translation>
    </message>
</context>
<context>
    <name>EditCommand</name>
    <message>
        <source>工地名称</source>
        <translation>site name</translation>
    </message>
    <message>
        <source>检测单位</source>
        <translation>testing organisation</translation>
    </message>
    <message>
        <source>检测人员</source>
        <translation>tester</translation>
    </message>
    <message>
        <source>桩号</source>
        <translation>pile number</translation>
    </message>
    <message>
        <source>检测时间</source>
        <translation>test date</translation>
    </message>
    <message>
        <source>波速</source>
        <translation>wave speed</translation>
    </message>
    <message>
        <source>磁偏角</source>
        <translation>magnetic declination</translation>
    </message>
    <message>
        <source>%1“%2”过长：最多%3个字节（约%4个汉字）</source>
        <translation>%1 &quot;%2&quot; is too long: at most %3 bytes (about %4 Chinese characters)</translation>
    </message>
    <message>
        <source>波速“%1”无效，请输入%2到%3之间的数值（m/s）！</source>
        <translation>Wave speed &quot;%1&quot; is invalid: enter a number from %2 to %3 (m/s).</translation>
    </message>
    <message>
        <source>磁偏角“%1”无效，请输入0到360之间的数值！</source>
        <translation>Magnetic declination &quot;%1&quot; is invalid: enter a number from 0 to 360.</translation>
    </message>
    <message>
        <source>窗函数代码“%1”无效，请输入0到4之间的整数！</source>
        <translation>Window code &quot;%1&quot; is invalid: enter a whole number from 0 to 4.</translation>
    </message>
    <message>
        <source>下限截止频率“%1”无效，请输入大于0且小于%2的整数！</source>
        <translation>Low cut-off frequency &quot;%1&quot; is invalid: enter a whole number greater than 0 and less than %2.</translation>
    </message>
    <message>
        <source>上限截止频率“%1”无效，请输入大于0且小于%2的整数！</source>
        <translation>High cut-off frequency &quot;%1&quot; is invalid: enter a whole number greater than 0 and less than %2.</translation>
    </message>
    <message>
        <source>下限截止频率(%1 Hz)必须小于上限截止频率(%2 Hz)！</source>
        <translation>The low cut-off frequency (%1 Hz) must be less than the high cut-off frequency (%2 Hz).</translation>
    </message>
    <message>
        <source>滤波阶数“%1”无效，请输入%2到%3之间的整数！</source>
        <translation>Filter order &quot;%1&quot; is invalid: enter a whole number from %2 to %3.</translation>
    </message>
    <message>
        <source>手动增益“%1”无效，请输入大于0且不超过%2的数值！</source>
        <translation>Manual gain &quot;%1&quot; is invalid: enter a number greater than 0 and not above %2.</translation>
    </message>
    <message>
        <source>没有要应用的参数</source>
        <translation>No settings to apply</translation>
    </message>
    <message>
        <source>清除缺陷标记</source>
        <translation>Clear flaw mark</translation>
    </message>
    <message>
        <source>标记缺陷</source>
        <translation>Mark flaw</translation>
    </message>
    <message>
        <source>删除波形</source>
        <translation>Delete wave</translation>
    </message>
    <message>
        <source>修改</source>
        <translation>Edit </translation>
    </message>
    <message>
        <source>%1含有无法保存的字符（无效的编码或控制字符）</source>
        <translation>%1 holds characters that cannot be stored (invalid encoding or control characters)</translation>
    </message>
</context>
<context>
    <name>FileFormat</name>
    <message>
        <source>文件短于文件头</source>
        <translation>the file is shorter than its header</translation>
    </message>
    <message>
        <source>版本号 %1 不被接受</source>
        <translation>version %1 is not accepted</translation>
    </message>
    <message>
        <source>测点数为负</source>
        <translation>the number of measure points is negative</translation>
    </message>
    <message>
        <source>删除通道数超出范围</source>
        <translation>the number of deleted channels is out of range</translation>
    </message>
    <message>
        <source>文件长度与文件头记录的数量不符</source>
        <translation>the file length does not match the counts in the header</translation>
    </message>
    <message>
        <source>测点数与文件长度不符</source>
        <translation>the number of measure points does not match the file length</translation>
    </message>
</context>
<context>
    <name>FileListWidget</name>
    <message>
        <source>桩底溶洞数据文件</source>
        <translation>Pile-bottom karst survey</translation>
    </message>
    <message>
        <source>当前目录</source>
        <translation>Current folder</translation>
    </message>
    <message>
        <source>打开文件</source>
        <translation>Open File</translation>
    </message>
</context>
<context>
    <name>FileOperation</name>
    <message>
        <source>文件在读取过程中变短</source>
        <translation>the file became shorter while it was read</translation>
    </message>
</context>
<context>
    <name>KvrDocument</name>
    <message>
        <source>测点 %1 的采样点数 %2 超出 0..4096，已改为 %3</source>
        <translation>Measure point %1: sample count %2 is outside 0..4096, changed to %3</translation>
    </message>
    <message>
        <source>测点 %1 的方位角无效，已改为 0</source>
        <translation>Measure point %1: invalid heading, changed to 0</translation>
    </message>
    <message>
        <source>测点 %1 通道 %2 的采样个数 %3 超出 0..4096，已改为 %4</source>
        <translation>Measure point %1, channel %2: sample count %3 is outside 0..4096, changed to %4</translation>
    </message>
    <message>
        <source>测点 %1 通道 %2 的缺陷位置 %3 不在波形内，已清除</source>
        <translation>Measure point %1, channel %2: flaw position %3 is outside the wave, cleared</translation>
    </message>
    <message>
        <source>测点 %1 通道 %2 有 %3 个采样值超出 0..65535，已限幅</source>
        <translation>Measure point %1, channel %2: %3 sample values outside 0..65535, clipped</translation>
    </message>
    <message>
        <source>分析记录 %1 指向不存在的波形（测点 %2，通道 %3），已忽略</source>
        <translation>Analysis record %1 refers to a missing wave (measure point %2, channel %3), ignored</translation>
    </message>
    <message>
        <source>分析记录 %1 重复（测点 %2，通道 %3），已忽略</source>
        <translation>Analysis record %1 is a duplicate (measure point %2, channel %3), ignored</translation>
    </message>
    <message>
        <source>分析记录 %1 的通道角度无效，已按方位角重算</source>
        <translation>Analysis record %1: invalid channel angle, recomputed from the heading</translation>
    </message>
    <message>
        <source>分析记录 %1 的增益无效，已改为 1</source>
        <translation>Analysis record %1: invalid gain, changed to 1</translation>
    </message>
    <message>
        <source>分析记录 %1 的滤波阶数 %2 无效，已改为 500</source>
        <translation>Analysis record %1: invalid filter order %2, changed to 500</translation>
    </message>
    <message>
        <source>分析记录 %1（测点 %2，通道 %3）未滤波：%4</source>
        <translation>Analysis record %1 (measure point %2, channel %3) not filtered: %4</translation>
    </message>
    <message>
        <source>滤波阶数 %1 不在 1 到 %2 之间</source>
        <translation>filter order %1 is not between 1 and %2</translation>
    </message>
    <message>
        <source>截止频率 %1–%2 Hz 须满足 0 &lt; 下限 &lt; 上限 &lt; %3 Hz</source>
        <translation>cut-offs %1–%2 Hz must satisfy 0 &lt; low &lt; high &lt; %3 Hz</translation>
    </message>
    <message>
        <source>窗函数在 %1 阶时为零</source>
        <translation>the window is zero at order %1</translation>
    </message>
    <message>
        <source>滤波器在 %1 Hz 处没有增益</source>
        <translation>the filter has no gain at %1 Hz</translation>
    </message>
    <message>
        <source>滤波系数无法计算</source>
        <translation>the filter taps cannot be computed</translation>
    </message>
    <message>
        <source>没有第 %1 个分析记录（共 %2 个）</source>
        <translation>There is no analysis record %1 (%2 records)</translation>
    </message>
    <message>
        <source>分析记录 %1 为空，已跳过</source>
        <translation>Analysis record %1 is empty, skipped</translation>
    </message>
    <message>
        <source>分析记录 %1 的处理波形与原始波形共用数据，未处理</source>
        <translation>Analysis record %1: the processed wave shares the original&apos;s data, not processed</translation>
    </message>
    <message>
        <source>分析记录 %1：测点 %2 没有频谱记录，主频未计算</source>
        <translation>Analysis record %1: measure point %2 has no spectrum record, main frequencies not computed</translation>
    </message>
    <message>
        <source>分析记录 %1 的缺陷位置 %2 不在波形内，已清除</source>
        <translation>Analysis record %1: flaw position %2 is outside the wave, cleared</translation>
    </message>
    <message>
        <source>波形 %1 移动 %2 位后超出范围（共 %3 个波形，从0开始）</source>
        <translation>Wave %1 moved by %2 places falls outside the list (%3 waves, counted from 0)</translation>
    </message>
    <message>
        <source>文件头的波速无效，已改为 4000</source>
        <translation>Invalid wave speed in the header, changed to 4000</translation>
    </message>
    <message>
        <source>文件头的波速 %1 m/s 不在 %2 到 %3 m/s 之间，深度可能不对</source>
        <translation>The wave speed in the header, %1 m/s, is outside %2 to %3 m/s: depths may be wrong</translation>
    </message>
    <message>
        <source>文件头的磁偏角无效，已改为 0</source>
        <translation>Invalid magnetic declination in the header, changed to 0</translation>
    </message>
    <message>
        <source>无法读取文件 %1：%2</source>
        <translation>Cannot read the file %1: %2</translation>
    </message>
    <message>
        <source>未检测到文件 %1 ！</source>
        <translation>File %1 not found.</translation>
    </message>
    <message>
        <source>它不是普通文件</source>
        <translation>it is not a regular file</translation>
    </message>
    <message>
        <source>文件不完整或者格式不正确！</source>
        <translation>The file is incomplete or not in the right format.</translation>
    </message>
    <message>
        <source>文件 %1 过大（%2 MB），超过可打开的上限 %3 MB，无法打开！</source>
        <translation>The file %1 is too large (%2 MB): it exceeds the limit of %3 MB and cannot be opened.</translation>
    </message>
    <message>
        <source>%1 个测点记录了第四通道，第四通道不参与分析</source>
        <translation>%1 measure points recorded a fourth channel; the fourth channel is not analysed</translation>
    </message>
    <message>
        <source>文件头记录 %1 个测点，文件中有 %2 个完整测点</source>
        <translation>The header records %1 measure points; the file holds %2 complete measure points</translation>
    </message>
    <message>
        <source>文件中没有可分析的波形</source>
        <translation>The file holds no wave that can be analysed</translation>
    </message>
    <message>
        <source>测点未记录有效波速，波速保持 %1</source>
        <translation>The measure points record no valid wave speed; the wave speed stays %1</translation>
    </message>
    <message>
        <source>没有打开的文件！</source>
        <translation>No file is open.</translation>
    </message>
    <message>
        <source>保存文件失败：%1，原文件未被改动！</source>
        <translation>Saving failed: %1. The original file is unchanged.</translation>
    </message>
    <message>
        <source>波形序号 %1 超出范围（共 %2 个波形，从0开始）</source>
        <translation>Wave number %1 is out of range (%2 waves, counted from 0)</translation>
    </message>
    <message>
        <source>波形 %1 没有可标记的数据</source>
        <translation>Wave %1 has no data to mark</translation>
    </message>
    <message>
        <source>缺陷位置 %1 不在波形 %2 内（0到%3）</source>
        <translation>Flaw position %1 is outside wave %2 (0 to %3)</translation>
    </message>
    <message>
        <source>没有可应用参数的波形</source>
        <translation>No wave to apply the settings to</translation>
    </message>
    <message>
        <source>应用滤波参数</source>
        <translation>Apply filter settings</translation>
    </message>
    <message>
        <source>应用到所有波形</source>
        <translation>Apply to all waves</translation>
    </message>
    <message>
        <source>交换波形</source>
        <translation>Swap waves</translation>
    </message>
    <message>
        <source>移动波形</source>
        <translation>Move wave</translation>
    </message>
    <message>
        <source>这是文件中唯一的波形，不能删除！</source>
        <translation>This is the only wave in the file; it cannot be deleted.</translation>
    </message>
    <message>
        <source>分析记录 %1 的洞底标记已损坏，已忽略</source>
        <translation>Analysis record %1: the cave bottom mark is damaged and was ignored</translation>
    </message>
    <message>
        <source>分析记录 %1 的洞底标记没有洞顶，已忽略</source>
        <translation>Analysis record %1: a cave bottom without a top was ignored</translation>
    </message>
    <message>
        <source>分析记录 %1 的洞底位置 %2 不在洞顶之下的波形内，已忽略</source>
        <translation>Analysis record %1: the cave bottom %2 is not below the top inside the wave and was ignored</translation>
    </message>
    <message>
        <source>波形 %1 没有洞顶标记，不能标记洞底</source>
        <translation>Wave %1 has no top mark; a cave bottom needs one</translation>
    </message>
    <message>
        <source>洞底位置 %1 须在洞顶位置 %2 之下</source>
        <translation>The cave bottom %1 must lie below the top %2</translation>
    </message>
    <message>
        <source>清除洞底标记</source>
        <translation>Clear Cave Bottom</translation>
    </message>
    <message>
        <source>标记洞底</source>
        <translation>Mark Cave Bottom</translation>
    </message>
</context>
<context>
    <name>KvrFocusedWaveWidget</name>
    <message>
        <source>波形区</source>
        <translation>Wave</translation>
    </message>
</context>
<context>
    <name>KvrMultiWaveAssistantWidget</name>
    <message>
        <source>点数</source>
        <translation>Sample</translation>
    </message>
    <message>
        <source>时间(μs)</source>
        <translation>Time (μs)</translation>
    </message>
    <message>
        <source>距离(mm)</source>
        <translation>Distance (mm)</translation>
    </message>
    <message>
        <source>切换背景色为白色</source>
        <translation>White Background</translation>
    </message>
    <message>
        <source>切换背景色为黑色</source>
        <translation>Black Background</translation>
    </message>
    <message>
        <source>取消波形填充</source>
        <translation>Turn Fill Off</translation>
    </message>
    <message>
        <source>启用波形填充</source>
        <translation>Turn Fill On</translation>
    </message>
    <message>
        <source>删除当前测点</source>
        <translation>Delete This Wave</translation>
    </message>
</context>
<context>
    <name>KvrSingleWaveAssistantWidget</name>
    <message>
        <source>滤波信号</source>
        <translation>Filtered</translation>
    </message>
    <message>
        <source>原始信号</source>
        <translation>Original</translation>
    </message>
    <message>
        <source>频率: </source>
        <translation>Frequency: </translation>
    </message>
    <message>
        <source>幅度: </source>
        <translation>Amplitude: </translation>
    </message>
    <message>
        <source>	幅度: </source>
        <translation>	Amplitude: </translation>
    </message>
    <message>
        <source>频谱显示时不能标记缺陷，请在波形曲线上标记</source>
        <translation>Flaws cannot be marked on the spectrum; mark them on the wave curve</translation>
    </message>
    <message>
        <source>上一个波形</source>
        <translation>Previous Wave</translation>
    </message>
    <message>
        <source>下一个波形</source>
        <translation>Next Wave</translation>
    </message>
    <message>
        <source>显示曲线波形</source>
        <translation>Show Wave Curve</translation>
    </message>
    <message>
        <source>显示频谱波形</source>
        <translation>Show Spectrum</translation>
    </message>
    <message>
        <source>标尺：%1 m 至 %2 m，Δt %3 ms，Δ深度 %4 m</source>
        <translation>Ruler: %1 m to %2 m, Δt %3 ms, Δdepth %4 m</translation>
    </message>
    <message>
        <source>滤波</source>
        <translation>Filt.</translation>
    </message>
    <message>
        <source>原始</source>
        <translation>Orig.</translation>
    </message>
</context>
<context>
    <name>KvrWordOperation</name>
    <message>
        <source>无法写入报告图片 %1：%2</source>
        <translation>Cannot write the report image %1: %2</translation>
    </message>
    <message>
        <source>没有可输出的波形</source>
        <translation>No waves to export</translation>
    </message>
    <message>
        <source>输出目录 %1 不存在</source>
        <translation>The output folder %1 does not exist</translation>
    </message>
    <message>
        <source>它与报告图片同名</source>
        <translation>it has the name of the report image</translation>
    </message>
    <message>
        <source>无法写入临时文件 %1：%2</source>
        <translation>Cannot write the temporary file %1: %2</translation>
    </message>
    <message>
        <source>无法从模板创建文档</source>
        <translation>Cannot create the document from the template</translation>
    </message>
    <message>
        <source>无法保存文档 %1</source>
        <translation>Cannot save the document %1</translation>
    </message>
    <message>
        <source>Word 文件已保存，但</source>
        <translation>The Word document was saved. </translation>
    </message>
</context>
<context>
    <name>LanguageMenu</name>
    <message>
        <source>跟随系统</source>
        <translation>System</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>打开文件</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>保存文件</source>
        <translation>Save the file</translation>
    </message>
    <message>
        <source>使用说明</source>
        <translation>User Guide</translation>
    </message>
    <message>
        <source>打开本程序的使用说明</source>
        <translation>Open the user guide of this program</translation>
    </message>
    <message>
        <source>另存为…</source>
        <translation>Save As...</translation>
    </message>
    <message>
        <source>把数据文件保存到新的位置</source>
        <translation>Save the survey to a new file</translation>
    </message>
    <message>
        <source>另存为</source>
        <translation>Save As</translation>
    </message>
    <message>
        <source>数据文件 (*.ard)</source>
        <translation>Survey files (*.ard)</translation>
    </message>
    <message>
        <source>打印设置</source>
        <translation>Print Setup</translation>
    </message>
    <message>
        <source>打印预览</source>
        <translation>Print Preview</translation>
    </message>
    <message>
        <source>打印</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>输出到Word</source>
        <translation>Word Report</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>信息栏</source>
        <translation>Info</translation>
    </message>
    <message>
        <source>显示信息栏</source>
        <translation>Show the file information panel</translation>
    </message>
    <message>
        <source>分析栏</source>
        <translation>Analysis</translation>
    </message>
    <message>
        <source>显示分析栏</source>
        <translation>Show the analysis panel</translation>
    </message>
    <message>
        <source>原始波形</source>
        <translation>Original</translation>
    </message>
    <message>
        <source>显示原始波形</source>
        <translation>Show the original (unfiltered) waves</translation>
    </message>
    <message>
        <source>横向波列</source>
        <translation>Horizontal</translation>
    </message>
    <message>
        <source>显示横向波列</source>
        <translation>Show the wave list horizontally</translation>
    </message>
    <message>
        <source>纵向波列</source>
        <translation>Vertical</translation>
    </message>
    <message>
        <source>显示纵向波列</source>
        <translation>Show the wave list vertically</translation>
    </message>
    <message>
        <source>波幅增加</source>
        <translation>Amp +</translation>
    </message>
    <message>
        <source>波形幅度增加</source>
        <translation>Increase the wave amplitude</translation>
    </message>
    <message>
        <source>波幅缩小</source>
        <translation>Amp -</translation>
    </message>
    <message>
        <source>波形幅度缩小</source>
        <translation>Decrease the wave amplitude</translation>
    </message>
    <message>
        <source>波长拉伸</source>
        <translation>Stretch</translation>
    </message>
    <message>
        <source>波形拉伸</source>
        <translation>Stretch the time axis</translation>
    </message>
    <message>
        <source>波长压缩</source>
        <translation>Compress</translation>
    </message>
    <message>
        <source>波形压缩</source>
        <translation>Compress the time axis</translation>
    </message>
    <message>
        <source>波距增大</source>
        <translation>Spacing +</translation>
    </message>
    <message>
        <source>波形间距增大</source>
        <translation>Widen the spacing between waves</translation>
    </message>
    <message>
        <source>波距缩小</source>
        <translation>Spacing -</translation>
    </message>
    <message>
        <source>波形间距缩小</source>
        <translation>Narrow the spacing between waves</translation>
    </message>
    <message>
        <source>归一化波形</source>
        <translation>Normalise</translation>
    </message>
    <message>
        <source>归一化波形显示</source>
        <translation>Draw every wave at full height</translation>
    </message>
    <message>
        <source>变密度显示</source>
        <translation>Density</translation>
    </message>
    <message>
        <source>波列以灰度变密度方式显示，每道波形一列</source>
        <translation>Show the wave list as variable density in grey, one column per wave</translation>
    </message>
    <message>
        <source>全部通道</source>
        <translation>All Channels</translation>
    </message>
    <message>
        <source>波列只显示%1的波形</source>
        <translation>Show only the waves of %1 in the wave list</translation>
    </message>
    <message>
        <source>波列显示全部通道的波形</source>
        <translation>Show the waves of all channels in the wave list</translation>
    </message>
    <message>
        <source>清除列表</source>
        <translation>Clear List</translation>
    </message>
    <message>
        <source>清除最近打开的文件列表</source>
        <translation>Clear the list of recently opened files</translation>
    </message>
    <message>
        <source>启动标记</source>
        <translation>Mark Flaws</translation>
    </message>
    <message>
        <source>开始/停止标记波形缺陷</source>
        <translation>Start or stop marking wave flaws</translation>
    </message>
    <message>
        <source>导出PDF</source>
        <translation>Export PDF</translation>
    </message>
    <message>
        <source>将报告导出为PDF文件</source>
        <translation>Export the report as a PDF file</translation>
    </message>
    <message>
        <source>撤销</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>撤销上一步操作</source>
        <translation>Undo the last edit</translation>
    </message>
    <message>
        <source>重做</source>
        <translation>Redo</translation>
    </message>
    <message>
        <source>重做撤销的操作</source>
        <translation>Redo the undone edit</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>显示软件相关信息</source>
        <translation>Show information about the program</translation>
    </message>
    <message>
        <source>文件(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>最近打开</source>
        <translation>Recent Files</translation>
    </message>
    <message>
        <source>视图(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>显示通道</source>
        <translation>Channels</translation>
    </message>
    <message>
        <source>编辑(&amp;E)</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>帮助(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>工具栏</source>
        <translation>Tool Bar</translation>
    </message>
    <message>
        <source>停止标记</source>
        <translation>Stop Marking</translation>
    </message>
    <message>
        <source>保存更改到</source>
        <translation>Save changes to </translation>
    </message>
    <message>
        <source>是</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>否</source>
        <translation>No</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source> - 文件不存在</source>
        <translation> - file missing</translation>
    </message>
    <message>
        <source>文件 %1 已不存在，已从最近打开列表中移除。</source>
        <translation>The file %1 no longer exists and was removed from the recent files.</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>撤销 </source>
        <translation>Undo </translation>
    </message>
    <message>
        <source>重做 </source>
        <translation>Redo </translation>
    </message>
    <message>
        <source>已撤销</source>
        <translation>Undone</translation>
    </message>
    <message>
        <source>已重做</source>
        <translation>Redone</translation>
    </message>
    <message>
        <source>文件已打开，但以下内容被忽略或更正：
</source>
        <translation>The file was opened, but the following was ignored or corrected:
</translation>
    </message>
    <message>
        <source>正在打开 %1 ...</source>
        <translation>Opening %1 ...</translation>
    </message>
    <message>
        <source>已保存 </source>
        <translation>Saved </translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>当前操作会删除当前测点当前通道数据
您确定这样做么？</source>
        <translation>This deletes the data of the current channel at the current measure point.
Do you really want to do this?</translation>
    </message>
    <message>
        <source>这是文件中唯一的波形，不能删除！</source>
        <translation>This is the only wave in the file; it cannot be deleted.</translation>
    </message>
    <message>
        <source>自动识别缺陷</source>
        <translation>Suggest Flaws</translation>
    </message>
    <message>
        <source>在所有波形上识别可能的缺陷回波，以空心标记显示建议</source>
        <translation>Look for possible flaw echoes on every wave and show the suggestions as hollow markers</translation>
    </message>
    <message>
        <source>采纳全部建议…</source>
        <translation>Accept All Suggestions…</translation>
    </message>
    <message>
        <source>将达到所选置信度的缺陷建议一次设为缺陷标记</source>
        <translation>Set the flaw suggestions at or above a chosen confidence as flaw marks in one step</translation>
    </message>
    <message>
        <source>清除建议</source>
        <translation>Clear Suggestions</translation>
    </message>
    <message>
        <source>清除缺陷建议的标记，文件不变</source>
        <translation>Remove the flaw suggestion markers; the file does not change</translation>
    </message>
    <message>
        <source>波形已更改，缺陷建议已清除，可重新识别</source>
        <translation>The waves changed, so the flaw suggestions were cleared; look for them again</translation>
    </message>
    <message>
        <source>正在识别缺陷…</source>
        <translation>Looking for flaws…</translation>
    </message>
    <message>
        <source>未识别到缺陷建议</source>
        <translation>No flaw suggestions found</translation>
    </message>
    <message>
        <source>识别到 %1 处建议缺陷（置信度 ≥ %2：%3 处）</source>
        <translation>%1 flaw suggestions found (%3 with confidence ≥ %2)</translation>
    </message>
    <message>
        <source>所有建议均已采纳</source>
        <translation>All suggestions are accepted</translation>
    </message>
    <message>
        <source>采纳建议</source>
        <translation>Accept Suggestions</translation>
    </message>
    <message>
        <source>已采纳 %1 个缺陷建议</source>
        <translation>%1 flaw suggestions accepted</translation>
    </message>
    <message>
        <source>缺陷建议已清除</source>
        <translation>Flaw suggestions cleared</translation>
    </message>
    <message>
        <source>标记列表</source>
        <translation>Marks</translation>
    </message>
    <message>
        <source>显示所有标记的波形：测点、通道、方位角、洞顶、洞底与洞高</source>
        <translation>All marked waves: point, channel, azimuth, cave top, bottom and height</translation>
    </message>
    <message>
        <source>批量输出…</source>
        <translation>Batch Output...</translation>
    </message>
    <message>
        <source>导出汇总表…</source>
        <translation>Export Summary...</translation>
    </message>
    <message>
        <source>工程汇总</source>
        <translation>Project Table</translation>
    </message>
    <message>
        <source>“%1”在打开后已被其他程序修改。覆盖它会丢失那些修改。</source>
        <translation>&quot;%1&quot; was changed by another program after it was opened. Overwriting it loses those changes.</translation>
    </message>
    <message>
        <source>覆盖</source>
        <translation>Overwrite</translation>
    </message>
    <message>
        <source>另存为</source>
        <translation>Save As</translation>
    </message>
    <message>
        <source>检测数据文件 (*.ard)</source>
        <translation>Survey files (*.ard)</translation>
    </message>
    <message>
        <source>深度范围…</source>
        <translation>Depth Range…</translation>
    </message>
    <message>
        <source>显示 CH%1：%2 / %3</source>
        <translation>Showing CH%1: %2 / %3</translation>
    </message>
</context>
<context>
    <name>PrinterOperation</name>
    <message>
        <source>是</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>否</source>
        <translation>No</translation>
    </message>
    <message>
        <source>另存为</source>
        <translation>Save As</translation>
    </message>
    <message>
        <source>生成的 PDF 不完整：%1</source>
        <translation>The PDF produced is incomplete: %1</translation>
    </message>
    <message>
        <source>保存Word文件(*.docx)</source>
        <translation>Word documents (*.docx)</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>报告图片 %1 已存在，输出Word时将一并替换。
是否继续？</source>
        <translation>The report image %1 already exists and will be replaced together with the Word document.
Continue?</translation>
    </message>
    <message>
        <source>PNG图片(*.png);;JPEG图片(*.jpg *.jpeg)</source>
        <translation>PNG images (*.png);;JPEG images (*.jpg *.jpeg)</translation>
    </message>
    <message>
        <source>保存PDF文件(*.pdf)</source>
        <translation>PDF files (*.pdf)</translation>
    </message>
    <message>
        <source>操作失败！</source>
        <translation>The operation failed.</translation>
    </message>
    <message>
        <source>操作失败！
</source>
        <translation>The operation failed.
</translation>
    </message>
    <message>
        <source>操作成功！</source>
        <translation>Done.</translation>
    </message>
    <message>
        <source>已保存：%1</source>
        <translation>Saved: %1</translation>
    </message>
    <message>
        <source>文件已保存到：
%1

系统无法打开它，请到该位置查看。</source>
        <translation>The file was saved to:
%1

The system cannot open it; please look for it there.</translation>
    </message>
    <message>
        <source>已保存：%1（%2）</source>
        <translation>Saved: %1 (%2)</translation>
    </message>
</context>
<context>
    <name>PrinterSetupDialog</name>
    <message>
        <source>打印设置</source>
        <translation>Print Setup</translation>
    </message>
    <message>
        <source>未打开检测文件</source>
        <translation>No survey is open</translation>
    </message>
    <message>
        <source>本桩：%1（编号、日期、孔深、结果描述等随此检测文件保存）</source>
        <translation>This pile: %1 (number, dates, hole depth, result description and the like are saved with this survey)</translation>
    </message>
    <message>
        <source>页面设置</source>
        <translation>Page Setup</translation>
    </message>
    <message>
        <source>页眉</source>
        <translation>Page Header</translation>
    </message>
    <message>
        <source>打印页眉：</source>
        <translation>Print page header</translation>
    </message>
    <message>
        <source>内容：</source>
        <translation>Text:</translation>
    </message>
    <message>
        <source>字体大小：</source>
        <translation>Font size:</translation>
    </message>
    <message>
        <source>标题</source>
        <translation>Title</translation>
    </message>
    <message>
        <source>打印标题</source>
        <translation>Print title</translation>
    </message>
    <message>
        <source>页脚</source>
        <translation>Page Footer</translation>
    </message>
    <message>
        <source>打印页脚</source>
        <translation>Print page footer</translation>
    </message>
    <message>
        <source>页码</source>
        <translation>Page Number</translation>
    </message>
    <message>
        <source>页眉左侧</source>
        <translation>Header, left</translation>
    </message>
    <message>
        <source>页眉中间</source>
        <translation>Header, centre</translation>
    </message>
    <message>
        <source>页眉右侧</source>
        <translation>Header, right</translation>
    </message>
    <message>
        <source>页脚左侧</source>
        <translation>Footer, left</translation>
    </message>
    <message>
        <source>页脚中间</source>
        <translation>Footer, centre</translation>
    </message>
    <message>
        <source>页脚右侧</source>
        <translation>Footer, right</translation>
    </message>
    <message>
        <source>打印页码</source>
        <translation>Print page number</translation>
    </message>
    <message>
        <source>样式：</source>
        <translation>Style:</translation>
    </message>
    <message>
        <source>位置：</source>
        <translation>Position:</translation>
    </message>
    <message>
        <source>页边距</source>
        <translation>Margins</translation>
    </message>
    <message>
        <source>左边距：</source>
        <translation>Left:</translation>
    </message>
    <message>
        <source>右边距：</source>
        <translation>Right:</translation>
    </message>
    <message>
        <source>上边距：</source>
        <translation>Top:</translation>
    </message>
    <message>
        <source>下边距：</source>
        <translation>Bottom:</translation>
    </message>
    <message>
        <source>输出设置</source>
        <translation>Report Fields</translation>
    </message>
    <message>
        <source>检测单位名称：</source>
        <translation>Testing organisation:</translation>
    </message>
    <message>
        <source>报告编号：</source>
        <translation>Report number:</translation>
    </message>
    <message>
        <source>工程名称：</source>
        <translation>Project:</translation>
    </message>
    <message>
        <source>委托单位：</source>
        <translation>Client:</translation>
    </message>
    <message>
        <source>基桩编号：</source>
        <translation>Pile number:</translation>
    </message>
    <message>
        <source>检测日期：</source>
        <translation>Test date:</translation>
    </message>
    <message>
        <source>仪器名称：</source>
        <translation>Instrument:</translation>
    </message>
    <message>
        <source>基桩孔深(m)：</source>
        <translation>Hole depth (m):</translation>
    </message>
    <message>
        <source>桩底标高(m)：</source>
        <translation>Pile-bottom elevation (m):</translation>
    </message>
    <message>
        <source>桩径(m)：</source>
        <translation>Pile diameter (m):</translation>
    </message>
    <message>
        <source>基桩类型：</source>
        <translation>Pile type:</translation>
    </message>
    <message>
        <source>探测目的：</source>
        <translation>Purpose:</translation>
    </message>
    <message>
        <source>执行标准：</source>
        <translation>Standard:</translation>
    </message>
    <message>
        <source>检测人员：</source>
        <translation>Tester:</translation>
    </message>
    <message>
        <source>审核：</source>
        <translation>Reviewer:</translation>
    </message>
    <message>
        <source>报告日期：</source>
        <translation>Report date:</translation>
    </message>
    <message>
        <source>结果描述：</source>
        <translation>Result:</translation>
    </message>
    <message>
        <source>打印到word</source>
        <translation>Report to Word</translation>
    </message>
    <message>
        <source>打印到图片</source>
        <translation>Report to Image</translation>
    </message>
    <message>
        <source>导出PDF</source>
        <translation>Export PDF</translation>
    </message>
    <message>
        <source>打印预览</source>
        <translation>Print Preview</translation>
    </message>
    <message>
        <source>打印</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>简要页（信息表只印文件头的内容）</source>
        <translation>Brief page (information table from the file header only)</translation>
    </message>
    <message>
        <source>桩底以下 max(</source>
        <translation>Below the pile tip: max(</translation>
    </message>
    <message>
        <source>× 桩径,</source>
        <translation>× diameter,</translation>
    </message>
    <message>
        <source>) 内不得有溶洞</source>
        <translation>) free of caves</translation>
    </message>
    <message>
        <source>按标记与桩径拟定的结论</source>
        <translation>Conclusion drafted from the marks and the diameter</translation>
    </message>
    <message>
        <source>按标记、桩径与检验范围拟定的结论；点“采用”填入结果描述</source>
        <translation>Conclusion drafted from the marks, the pile diameter and the check zone; Use puts it into the result description</translation>
    </message>
    <message>
        <source>采用</source>
        <translation>Use</translation>
    </message>
    <message>
        <source>用拟定的结论替换结果描述</source>
        <translation>Replace the result description with the draft</translation>
    </message>
    <message>
        <source>检验范围：</source>
        <translation>Check zone:</translation>
    </message>
</context>
<context>
    <name>ProgressDialog</name>
    <message>
        <source>进度</source>
        <translation>Progress</translation>
    </message>
    <message>
        <source>完成进度：</source>
        <translation>Progress:</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
</context>
<context>
    <name>ProjectTableModel</name>
    <message>
        <source>文件</source>
        <translation>File</translation>
    </message>
    <message>
        <source>桩号</source>
        <translation>Pile</translation>
    </message>
    <message>
        <source>测点数</source>
        <translation>Points</translation>
    </message>
    <message>
        <source>波形数</source>
        <translation>Waves</translation>
    </message>
    <message>
        <source>标记数</source>
        <translation>Marks</translation>
    </message>
    <message>
        <source>最浅溶洞顶板 (m)</source>
        <translation>Shallowest Roof (m)</translation>
    </message>
    <message>
        <source>最大洞高 (m)</source>
        <translation>Largest Height (m)</translation>
    </message>
    <message>
        <source>结论</source>
        <translation>Verdict</translation>
    </message>
    <message>
        <source>报告</source>
        <translation>Report</translation>
    </message>
    <message>
        <source>%1
无法读取：%2</source>
        <translation>%1
Cannot read: %2</translation>
    </message>
    <message>
        <source>无法读取：%1</source>
        <translation>Cannot read: %1</translation>
    </message>
    <message>
        <source>已输出 %1</source>
        <translation>Written %1</translation>
    </message>
</context>
<context>
    <name>ProjectTableWidget</name>
    <message>
        <source>工程汇总 - %1</source>
        <translation>Project Table - %1</translation>
    </message>
    <message>
        <source>正在读取…</source>
        <translation>Reading...</translation>
    </message>
    <message>
        <source>%1 个测量文件，%2 个无法读取</source>
        <translation>%1 surveys, %2 cannot be read</translation>
    </message>
    <message>
        <source>%1 个测量文件</source>
        <translation>%1 surveys</translation>
    </message>
    <message>
        <source>汇总表</source>
        <translation>summary</translation>
    </message>
    <message>
        <source>导出汇总表</source>
        <translation>Export Summary</translation>
    </message>
    <message>
        <source>Excel 工作簿 (*.xlsx);;CSV 文件 (*.csv);;PDF 文件 (*.pdf)</source>
        <translation>Excel workbook (*.xlsx);;CSV file (*.csv);;PDF file (*.pdf)</translation>
    </message>
    <message>
        <source>汇总表的格式由扩展名决定：.xlsx、.csv 或 .pdf</source>
        <translation>The summary's format follows its extension: .xlsx, .csv or .pdf</translation>
    </message>
</context>
<context>
    <name>QPlatformTheme</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>ReportFields</name>
    <message>
        <source>无法保存本桩的报告内容 %1：%2</source>
        <translation>Cannot save this pile&apos;s report fields %1: %2</translation>
    </message>
    <message>
        <source>无法创建目录</source>
        <translation>cannot create the folder</translation>
    </message>
    <message>
        <source>基桩孔深(m)</source>
        <translation>Hole depth (m)</translation>
    </message>
    <message>
        <source>桩底标高(m)</source>
        <translation>Pile-bottom elevation (m)</translation>
    </message>
    <message>
        <source>桩径(m)</source>
        <translation>Pile diameter (m)</translation>
    </message>
    <message>
        <source>%1 须为 %2 到 %3 之间的数值（保留两位小数），不能是“%4”。</source>
        <translation>%1 must be a number from %2 to %3 (two decimals), not &quot;%4&quot;.</translation>
    </message>
    <message>
        <source>本桩的报告内容 %1：%2</source>
        <translation>Report fields of this pile %1: %2</translation>
    </message>
    <message>
        <source>不是普通文件（链接或其他），未读取</source>
        <translation>not a plain file (a link or something else); not read</translation>
    </message>
    <message>
        <source>无法读取</source>
        <translation>cannot be read</translation>
    </message>
    <message>
        <source>文件过大，未读取</source>
        <translation>too large; not read</translation>
    </message>
    <message>
        <source>内容已损坏，未读取</source>
        <translation>damaged; not read</translation>
    </message>
    <message>
        <source>字段 %1 不是文字，未采用</source>
        <translation>field %1 is not text; left out</translation>
    </message>
    <message>
        <source>字段 %1 含有无效字符，已去掉</source>
        <translation>field %1 held invalid characters; they were removed</translation>
    </message>
    <message>
        <source>字段 %1 的数值无效，未采用</source>
        <translation>field %1 holds an invalid number; left out</translation>
    </message>
</context>
<context>
    <name>ReportImage</name>
    <message>
        <source>不支持的图片格式 %1</source>
        <translation>Unsupported image format %1</translation>
    </message>
    <message>
        <source>报告图片为空</source>
        <translation>The report image is empty</translation>
    </message>
    <message>
        <source>无法编码图片：%1</source>
        <translation>Cannot encode the image: %1</translation>
    </message>
    <message>
        <source>编码后的图片无法读回</source>
        <translation>The encoded image cannot be read back</translation>
    </message>
</context>
<context>
    <name>ReportPdf</name>
    <message>
        <source>缺少 PDF 文件头</source>
        <translation>the PDF header is missing</translation>
    </message>
    <message>
        <source>缺少文件结束标记</source>
        <translation>the end-of-file marker is missing</translation>
    </message>
    <message>
        <source>交叉引用表的位置无效</source>
        <translation>the position of the cross-reference table is invalid</translation>
    </message>
    <message>
        <source>找不到交叉引用表</source>
        <translation>the cross-reference table is not found</translation>
    </message>
    <message>
        <source>交叉引用表损坏</source>
        <translation>the cross-reference table is damaged</translation>
    </message>
    <message>
        <source>交叉引用表不完整</source>
        <translation>the cross-reference table is incomplete</translation>
    </message>
    <message>
        <source>对象 %1 不在交叉引用表所指的位置</source>
        <translation>object %1 is not where the cross-reference table says</translation>
    </message>
    <message>
        <source>文件尾缺少根对象</source>
        <translation>the trailer lacks the root object</translation>
    </message>
    <message>
        <source>无法绘制 PDF 页面</source>
        <translation>Cannot draw the PDF page</translation>
    </message>
    <message>
        <source>生成的 PDF 不完整：%1</source>
        <translation>The PDF produced is incomplete: %1</translation>
    </message>
</context>
<context>
    <name>SafeFile</name>
    <message>
        <source>没有指定输出文件</source>
        <translation>no output file was given</translation>
    </message>
    <message>
        <source>文件名含有本系统无法表示的字符</source>
        <translation>the file name has characters this system cannot represent</translation>
    </message>
    <message>
        <source>它就是输入文件 %1，不能覆盖</source>
        <translation>it is the input file %1 and cannot be overwritten</translation>
    </message>
    <message>
        <source>无法访问：%1</source>
        <translation>cannot access it: %1</translation>
    </message>
    <message>
        <source>目录 %1 不存在</source>
        <translation>the folder %1 does not exist</translation>
    </message>
    <message>
        <source>它是一个目录，不是文件</source>
        <translation>it is a folder, not a file</translation>
    </message>
    <message>
        <source>它是设备文件，不能作为输出文件</source>
        <translation>it is a device and cannot be an output file</translation>
    </message>
    <message>
        <source>它是管道文件，不能作为输出文件</source>
        <translation>it is a pipe and cannot be an output file</translation>
    </message>
    <message>
        <source>它是套接字，不能作为输出文件</source>
        <translation>it is a socket and cannot be an output file</translation>
    </message>
    <message>
        <source>它不是普通文件，不能作为输出文件</source>
        <translation>it is not a regular file and cannot be an output file</translation>
    </message>
    <message>
        <source>文件是只读的</source>
        <translation>the file is read-only</translation>
    </message>
    <message>
        <source>无法写入文件 %1：%2</source>
        <translation>Cannot write the file %1: %2</translation>
    </message>
    <message>
        <source>数据未能完整写入</source>
        <translation>the data could not be written completely</translation>
    </message>
    <message>
        <source>无法创建文件</source>
        <translation>cannot create the file</translation>
    </message>
    <message>
        <source>文件未打开</source>
        <translation>the file is not open</translation>
    </message>
    <message>
        <source>%1 不是普通文件，也无法移开：%2</source>
        <translation>%1 is not a plain file and cannot be moved aside: %2</translation>
    </message>
    <message>
        <source>%1 不是普通文件（链接或其他），已移到 %2</source>
        <translation>%1 is not a plain file (a link or something else); moved to %2</translation>
    </message>
    <message>
        <source>无法锁定 %1：%2</source>
        <translation>Cannot lock %1: %2</translation>
    </message>
    <message>
        <source>另一个程序正在修改 %1（它持有该文件的写入锁，已等待 %2 秒），请稍后再试</source>
        <translation>Another program is changing %1 (it holds the file's write lock; waited %2 s); try again later</translation>
    </message>
</context>
<context>
    <name>ShowAboutDialog</name>
    <message>
        <source>孔底溶洞探测分析软件</source>
        <translation>Borehole Karst Cave Analysis</translation>
    </message>
    <message>
        <source>关于软件</source>
        <translation>About</translation>
    </message>
</context>
<context>
    <name>ShowKvrDataWidgetBase</name>
    <message>
        <source>建议缺陷：深度 %1 m，置信度 %2</source>
        <translation>Suggested flaw: depth %1 m, confidence %2</translation>
    </message>
</context>
<context>
    <name>ShowKvrFileInfoWidget</name>
    <message>
        <source>工程信息</source>
        <translation>Project</translation>
    </message>
    <message>
        <source>工地名称</source>
        <translation>Site name</translation>
    </message>
    <message>
        <source>检测单位</source>
        <translation>Organisation</translation>
    </message>
    <message>
        <source>检测人员</source>
        <translation>Tester</translation>
    </message>
    <message>
        <source>桩号</source>
        <translation>Pile number</translation>
    </message>
    <message>
        <source>当前测点</source>
        <translation>Measure point</translation>
    </message>
    <message>
        <source>当前通道</source>
        <translation>Channel</translation>
    </message>
    <message>
        <source>检测时间</source>
        <translation>Test date</translation>
    </message>
    <message>
        <source>测量信息</source>
        <translation>Measurement</translation>
    </message>
    <message>
        <source>发射脉冲(μs)</source>
        <translation>Pulse width (μs)</translation>
    </message>
    <message>
        <source>收发间距(mm)</source>
        <translation>Tx-Rx spacing (mm)</translation>
    </message>
    <message>
        <source>零声时(μs)</source>
        <translation>Zero time (μs)</translation>
    </message>
    <message>
        <source>CH1增益</source>
        <translation>CH1 gain</translation>
    </message>
    <message>
        <source>CH2增益</source>
        <translation>CH2 gain</translation>
    </message>
    <message>
        <source>CH3增益</source>
        <translation>CH3 gain</translation>
    </message>
    <message>
        <source>采样点数</source>
        <translation>Samples</translation>
    </message>
    <message>
        <source>波速(m/s)</source>
        <translation>Wave speed (m/s)</translation>
    </message>
    <message>
        <source>方位角(°)</source>
        <translation>Heading (°)</translation>
    </message>
    <message>
        <source>磁偏角(°)</source>
        <translation>Declination (°)</translation>
    </message>
    <message>
        <source>俯仰角(°)</source>
        <translation>Pitch (°)</translation>
    </message>
    <message>
        <source>翻滚角(°)</source>
        <translation>Roll (°)</translation>
    </message>
</context>
<context>
    <name>ShowKvrInfoWidget</name>
    <message>
        <source>桩底溶洞数据文件</source>
        <translation>Pile-bottom karst survey</translation>
    </message>
</context>
<context>
    <name>SuggestionAcceptDialog</name>
    <message>
        <source>采纳缺陷建议</source>
        <translation>Accept Flaw Suggestions</translation>
    </message>
    <message>
        <source>最低置信度：</source>
        <translation>Minimum confidence:</translation>
    </message>
    <message>
        <source>替换已有的缺陷标记</source>
        <translation>Replace existing flaw marks</translation>
    </message>
    <message>
        <source>采纳</source>
        <translation>Accept</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>将采纳 %1 个建议</source>
        <translation>%1 suggestions will be accepted</translation>
    </message>
    <message>
        <source>（%1 个波形已有标记，保留原标记）</source>
        <translation> (%1 waves already have a mark and keep it)</translation>
    </message>
</context>
<context>
    <name>SystemConfig</name>
    <message>
        <source>配置文件嵌套过深（超过 %1 层）</source>
        <translation>The configuration file is nested too deeply (more than %1 levels)</translation>
    </message>
    <message>
        <source>配置文件元素过多（超过 %1 个）</source>
        <translation>The configuration file has too many elements (more than %1)</translation>
    </message>
    <message>
        <source>配置文件展开后过大（超过 %1 MB，实体引用过多）</source>
        <translation>The configuration file expands too far (more than %1 MB, too many entity references)</translation>
    </message>
    <message>
        <source>配置文件无法解析：%1（第 %2 行）</source>
        <translation>The configuration file cannot be parsed: %1 (line %2)</translation>
    </message>
    <message>
        <source>配置文件不是普通文件</source>
        <translation>The configuration file is not a regular file</translation>
    </message>
    <message>
        <source>无法读取配置文件：%1</source>
        <translation>Cannot read the configuration file: %1</translation>
    </message>
    <message>
        <source>配置文件过大（超过 %1 MB）</source>
        <translation>The configuration file is too large (more than %1 MB)</translation>
    </message>
    <message>
        <source>检测单位名称：</source>
        <translation>Testing organisation:</translation>
    </message>
    <message>
        <source>报告编号：</source>
        <translation>Report number:</translation>
    </message>
    <message>
        <source>工程名称</source>
        <translation>Project</translation>
    </message>
    <message>
        <source>委托单位</source>
        <translation>Client</translation>
    </message>
    <message>
        <source>基桩编号</source>
        <translation>Pile number</translation>
    </message>
    <message>
        <source>检测日期</source>
        <translation>Test date</translation>
    </message>
    <message>
        <source>主要仪器</source>
        <translation>Main instrument</translation>
    </message>
    <message>
        <source>基桩孔深</source>
        <translation>Hole depth</translation>
    </message>
    <message>
        <source>桩底标高</source>
        <translation>Pile-bottom elevation</translation>
    </message>
    <message>
        <source>桩径</source>
        <translation>Pile diameter</translation>
    </message>
    <message>
        <source>基桩类型</source>
        <translation>Pile type</translation>
    </message>
    <message>
        <source>探测目的</source>
        <translation>Purpose</translation>
    </message>
    <message>
        <source>执行标准</source>
        <translation>Standard</translation>
    </message>
    <message>
        <source>结果描述</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>检测人员：</source>
        <translation>Tester:</translation>
    </message>
    <message>
        <source>审核：</source>
        <translation>Reviewer:</translation>
    </message>
    <message>
        <source>报告日期：</source>
        <translation>Report date:</translation>
    </message>
    <message>
        <source>，本次使用默认设置</source>
        <translation>; the defaults are used this time</translation>
    </message>
    <message>
        <source>，已另存为 %1 并恢复默认设置</source>
        <translation>; it was kept as %1 and the defaults restored</translation>
    </message>
    <message>
        <source>，已恢复默认设置</source>
        <translation>; the defaults were restored</translation>
    </message>
</context>
<context>
    <name>WordEngine</name>
    <message>
        <source>没有可用的Word或WPS程序</source>
        <translation>No Word or WPS program is available</translation>
    </message>
    <message>
        <source>无法从模板 %1 创建文档</source>
        <translation>Cannot create a document from the template %1</translation>
    </message>
    <message>
        <source>无法打开文档 %1</source>
        <translation>Cannot open the document %1</translation>
    </message>
    <message>
        <source>无法保存文档 %1</source>
        <translation>Cannot save the document %1</translation>
    </message>
</context>
<context>
    <name>XmlTree</name>
    <message>
        <source>模板含有文档类型声明（DTD）</source>
        <translation>The template has a document type declaration (DTD)</translation>
    </message>
    <message>
        <source>模板嵌套过深（超过 %1 层）</source>
        <translation>The template is nested too deeply (more than %1 levels)</translation>
    </message>
    <message>
        <source>模板元素过多（超过 %1 个）</source>
        <translation>The template has too many elements (more than %1)</translation>
    </message>
    <message>
        <source>模板书签过多（超过 %1 个）</source>
        <translation>The template has too many bookmarks (more than %1)</translation>
    </message>
    <message>
        <source>模板文字过多（超过 %1 个字符）</source>
        <translation>The template has too much text (more than %1 characters)</translation>
    </message>
</context>
<context>
    <name>MarksPanel</name>
    <message>
        <source>测点</source>
        <translation>Point</translation>
    </message>
    <message>
        <source>通道</source>
        <translation>Channel</translation>
    </message>
    <message>
        <source>方位角(°)</source>
        <translation>Azimuth (°)</translation>
    </message>
    <message>
        <source>洞顶(m)</source>
        <translation>Top (m)</translation>
    </message>
    <message>
        <source>洞底(m)</source>
        <translation>Bottom (m)</translation>
    </message>
    <message>
        <source>洞高(m)</source>
        <translation>Height (m)</translation>
    </message>
    <message>
        <source>导出CSV...</source>
        <translation>Export CSV...</translation>
    </message>
    <message>
        <source>导出标记列表</source>
        <translation>Export Marks</translation>
    </message>
    <message>
        <source>CSV 文件(*.csv)</source>
        <translation>CSV files (*.csv)</translation>
    </message>
    <message>
        <source>已保存：%1</source>
        <translation>Saved: %1</translation>
    </message>
    <message>
        <source>标记列表.csv</source>
        <translation>marks.csv</translation>
    </message>
    <message>
        <source>-标记列表.csv</source>
        <translation>-marks.csv</translation>
    </message>
</context>
<context>
    <name>DepthWindowDialog</name>
    <message>
        <source>深度范围</source>
        <translation>Depth Range</translation>
    </message>
    <message>
        <source>起始深度：</source>
        <translation>From depth:</translation>
    </message>
    <message>
        <source>终止深度：</source>
        <translation>To depth:</translation>
    </message>
    <message>
        <source>波形列表和当前波形显示同一深度范围；不改变测试数据。</source>
        <translation>The wave list and the focused wave show the same depth range; the survey is not changed.</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>复位</source>
        <translation>Reset</translation>
    </message>
</context>
</TS>
